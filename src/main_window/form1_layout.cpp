#include "main_window/form1_layout.h"

#include "main_window/twips.h"

#include <QCoreApplication>

namespace form1_layout {

QRect parent_px(const DesignPlace& place) {
    return twips_rect(place.left, place.top, place.width, place.height);
}

QRect client_px(const DesignPlace& place) {
    QRect r = parent_px(place);
    // Nesting is shallow; the bound keeps a mistyped parent from looping.
    std::string_view parent = place.parent;
    for (int depth = 0; !parent.empty() && depth < 8; ++depth) {
        const DesignPlace& p = at(parent);
        r.translate(parent_px(p).topLeft());
        parent = p.parent;
    }
    return r;
}

QString caption(const DesignPlace& place) {
    const QByteArray source(place.caption.data(), static_cast<qsizetype>(place.caption.size()));
    return QCoreApplication::translate("Form1", source.constData());
}

QString printed_layout() {
    QString out = QStringLiteral("client 0 0 %1 %2\n")
                      .arg(twips_to_px(client_width))
                      .arg(twips_to_px(client_height));
    for (const DesignPlace& p : places) {
        const QRect r = client_px(p);
        out += QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(QLatin1String(p.name.data(), static_cast<qsizetype>(p.name.size())))
                   .arg(r.x())
                   .arg(r.y())
                   .arg(r.width())
                   .arg(r.height());
        if (!p.caption.empty()) out += u' ' + caption(p);
        out += u'\n';
    }
    return out;
}

}  // namespace form1_layout
