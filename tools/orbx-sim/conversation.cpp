#include "conversation.h"

#include <QDBusConnection>
#include <QThread>

namespace orbx_sim {

Conversation::Conversation(Publisher publisher, Settings settings, QObject* parent)
    : QObject(parent), publisher_(std::move(publisher)), settings_(std::move(settings)) {
    since_start_.start();
    if (!settings_.log_path.isEmpty()) {
        log_ = std::make_unique<QFile>(settings_.log_path);
        if (!log_->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) log_.reset();
    }
}

QString Conversation::Request(const QString& item) {
    ++requests_;
    log(QStringLiteral("Request %1").arg(item));
    // Busy, not hung: one request at a time, each answered late.
    if (settings_.answer_delay_ms > 0) QThread::msleep(settings_.answer_delay_ms);
    if (settings_.fail_after && requests_ > *settings_.fail_after) {
        sendErrorReply(QStringLiteral("dde.Error.Failed"),
                       QStringLiteral("request %1 refused").arg(requests_));
        return {};
    }
    const double t = static_cast<double>(since_start_.elapsed()) / 1000.0 * settings_.time_scale;
    const std::optional<QString> value = publisher_.value(item, t);
    if (!value) {
        sendErrorReply(QStringLiteral("dde.Error.UnknownItem"),
                       QStringLiteral("no item %1").arg(item));
        return {};
    }
    return *value;
}

void Conversation::log(const QString& line) {
    if (!log_) return;
    log_->write(line.toUtf8() + '\n');
    log_->flush();
}

}  // namespace orbx_sim
