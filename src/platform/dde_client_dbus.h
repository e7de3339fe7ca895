#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>
#include <optional>

#include "platform/dde_client.h"

namespace platform {

// Where DDE does not exist the tracking program serves its items on the session bus:
// service S, topic T become the bus name "dde.S" and the object "/T", interface
// "dde.Conversation", method Request(s item) -> s value.
struct DbusEndpoint {
    QString service;  // "dde.ORBX"
    QString path;     // "/EXTRN"
};
// Endpoint of a "SERVICE|TOPIC" link topic; nothing for a topic the bus cannot name.
std::optional<DbusEndpoint> dbus_endpoint(const QString& topic);

inline constexpr const char* dde_interface = "dde.Conversation";

struct DbusTiming {
    // Longest wait for any answer.
    int timeout_ms = 1000;
    // A server that let a call time out is left alone this long: every call fails at once
    // instead of freezing the window again for each of the eleven boxes.
    int hold_off_ms = 5000;
};

class DdeClientDbus final : public DdeClient {
  public:
    // Talks over the session bus.
    DdeClientDbus() : DdeClientDbus(std::nullopt) {}
    // Talks over the bus at bus_address (nothing: the session bus).
    explicit DdeClientDbus(std::optional<QString> bus_address, DbusTiming timing = {});
    ~DdeClientDbus() override;
    DdeClientDbus(const DdeClientDbus&) = delete;
    DdeClientDbus& operator=(const DdeClientDbus&) = delete;

    void link_setup(const QString& box, const QString& topic, const QString& item) override;
    QString request(const QString& box) override;
    void end_link(const QString& box) override;
    void begin_batch(int budget_ms) override;
    void end_batch() override;

  private:
    struct Link {
        DbusEndpoint endpoint;
        QString item;
    };

    QDBusConnection& connection();
    void check_not_held_off(const QString& service) const;
    void note_timeout(const QString& service);

    std::optional<QString> bus_address_;  // nothing: the session bus
    DbusTiming timing_;
    QString connection_name_;
    std::optional<QDBusConnection> connection_;
    QHash<QString, Link> links_;               // box -> its conversation
    QHash<QString, QElapsedTimer> timed_out_;  // service -> since its last timeout
    // Services whose last request was cut short by a batch's budget: the program may still
    // be busy with it, so the next request's timeout does not prove it hung.
    QSet<QString> cut_short_;
    QHash<QString, qint64> answer_ms_;  // service -> how long its last answer took
    int batch_depth_ = 0;
    int batch_budget_ms_ = 0;
    int batch_requests_ = 0;
    QElapsedTimer batch_started_;
};

}  // namespace platform
