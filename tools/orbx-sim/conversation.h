#pragma once

#include <QDBusContext>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <memory>
#include <optional>

#include "sky.h"

namespace orbx_sim {

// The object "/EXTRN": answers Request(item) on interface "dde.Conversation".
class Conversation : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "dde.Conversation")
  public:
    struct Settings {
        double time_scale = 1.0;
        std::optional<long> fail_after;  // requests after this many are refused
        QString log_path;                // empty: no log
        int answer_delay_ms = 0;         // each answer takes this long (a slow program)
    };

    Conversation(Publisher publisher, Settings settings, QObject* parent = nullptr);

  public Q_SLOTS:
    QString Request(const QString& item);

  private:
    void log(const QString& line);

    Publisher publisher_;
    Settings settings_;
    QElapsedTimer since_start_;
    long requests_ = 0;
    std::unique_ptr<QFile> log_;
};

}  // namespace orbx_sim
