#include "conversation.h"

#include <QDateTime>

namespace track_bridge {

QString Conversation::Request(const QString& item) {
    const auto value = items_.value(item, QDateTime::currentDateTimeUtc());
    if (!value) {
        sendErrorReply(QLatin1String(kUnknownItem), QStringLiteral("no item \"%1\"").arg(item));
        return {};
    }
    return *value;
}

}  // namespace track_bridge
