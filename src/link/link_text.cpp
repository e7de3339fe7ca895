#include "link/link_text.h"

namespace link_text {

QString silent() {
    return QStringLiteral("ローテーターから応答がありません");
}

QString serial_lost(const QString& port_name) {
    return QStringLiteral("シリアルポート %1 が使えなくなりました").arg(port_name.trimmed());
}

QString board_unreachable() {
    return QStringLiteral("ＰＩＣＮＩＣに接続できません");
}

QString position_unknown() {
    return QStringLiteral("アンテナの位置は不明です");
}

QString stop_not_delivered() {
    return QStringLiteral(
        "停止コマンドがローテーターに届きませんでした。アンテナは回り続けているかもしれません。"
        "接続が戻りしだい停止コマンドを送ります。");
}

QString move_not_possible(const QString& problem) {
    const QString head = QStringLiteral("ローテーターにコマンドを送れないため移動できません。");
    return problem.isEmpty() ? head : head + u'\n' + problem;
}

QString serial_open_failed(const QString& port_name, const QString& device,
                           std::optional<platform::OpenFailure> failure, const QString& detail,
                           const QString& group) {
    const QString port = device.isEmpty()
                             ? port_name.trimmed() + u' '
                             : QStringLiteral("%1（%2）").arg(port_name.trimmed(), device);
    const QString head =
        QStringLiteral("シリアルポート ") + port + QStringLiteral("を開けません。");
    // Opening is tried again every few seconds, so a device that appears is used at once.
    const QString retried = QStringLiteral("つながりしだい自動で開きます。");
    if (!failure) {
        return head +
               QStringLiteral("ポート名が正しくありません。設定 → 環境設定 で選び直してください。");
    }
    switch (*failure) {
        case platform::OpenFailure::not_found:
            return head + QStringLiteral("デバイスが見つかりません。") + retried;
        case platform::OpenFailure::no_permission:
            return head + QStringLiteral(
                              "このユーザーにはデバイスを使う権限がありません。"
                              "デバイスのグループ %1 にユーザーを加え"
                              "（sudo adduser $USER %1）、ログインし直してください。")
                              .arg(group.isEmpty() ? QStringLiteral("dialout") : group);
        case platform::OpenFailure::in_use:
            return head + QStringLiteral("ほかのプログラムが使っています。") + retried;
        case platform::OpenFailure::other:
            break;
    }
    return head + QStringLiteral("（%1）").arg(detail) + retried;
}

}  // namespace link_text
