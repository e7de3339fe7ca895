#pragma once

#include <QDBusContext>
#include <QObject>

#include "track_items.h"

namespace track_bridge {

// The tracking link's server end: the main program asks for one item at a time.
class Conversation : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "dde.Conversation")
  public:
    static constexpr const char* kService = "dde.ORBX";
    static constexpr const char* kPath = "/EXTRN";
    static constexpr const char* kUnknownItem = "dde.Error.UnknownItem";

    explicit Conversation(const TrackItems& items, QObject* parent = nullptr)
        : QObject(parent), items_(items) {}

  public slots:
    QString Request(const QString& item);

  private:
    const TrackItems& items_;
};

}  // namespace track_bridge
