#include "link/link_text.h"

#include <QCoreApplication>

namespace link_text {

QString silent() {
    return QCoreApplication::translate("link_text", "ローテーターから応答がありません");
}

QString serial_lost(const QString& port_name) {
    return QCoreApplication::translate("link_text", "シリアルポート %1 が使えなくなりました")
        .arg(port_name.trimmed());
}

QString board_unreachable() {
    return QCoreApplication::translate("link_text", "ＰＩＣＮＩＣに接続できません");
}

QString position_unknown() {
    return QCoreApplication::translate("link_text", "アンテナの位置は不明です");
}

QString stop_not_delivered() {
    return QCoreApplication::translate(
        "link_text",
        "停止コマンドがローテーターに届きませんでした。アンテナは回り続けているかもしれません。"
        "接続が戻りしだい停止コマンドを送ります。");
}

QString move_not_possible(const QString& problem) {
    const QString head = QCoreApplication::translate(
        "link_text", "ローテーターにコマンドを送れないため移動できません。");
    return problem.isEmpty() ? head : head + u'\n' + problem;
}

QString serial_open_failed(const QString& port_name, const QString& device,
                           std::optional<platform::OpenFailure> failure, const QString& detail,
                           const QString& group) {
    const QString head =
        device.isEmpty()
            ? QCoreApplication::translate("link_text", "シリアルポート %1 を開けません。")
                  .arg(port_name.trimmed())
            : QCoreApplication::translate("link_text", "シリアルポート %1（%2）を開けません。")
                  .arg(port_name.trimmed(), device);
    // Opening is tried again every few seconds, so a device that appears is used at once.
    const QString retried =
        QCoreApplication::translate("link_text", "つながりしだい自動で開きます。");
    if (!failure) {
        return head + QCoreApplication::translate(
                          "link_text",
                          "ポート名が正しくありません。設定 → 環境設定 で選び直してください。");
    }
    switch (*failure) {
        case platform::OpenFailure::not_found:
            return head + QCoreApplication::translate("link_text", "デバイスが見つかりません。") +
                   retried;
        case platform::OpenFailure::no_permission:
            return head + QCoreApplication::translate(
                              "link_text",
                              "このユーザーにはデバイスを使う権限がありません。"
                              "デバイスのグループ %1 にユーザーを加え"
                              "（sudo adduser $USER %1）、ログインし直してください。")
                              .arg(group.isEmpty() ? QStringLiteral("dialout") : group);
        case platform::OpenFailure::in_use:
            return head +
                   QCoreApplication::translate("link_text", "ほかのプログラムが使っています。") +
                   retried;
        case platform::OpenFailure::other:
            break;
    }
    return head + QCoreApplication::translate("link_text", "（%1）").arg(detail) + retried;
}

}  // namespace link_text
