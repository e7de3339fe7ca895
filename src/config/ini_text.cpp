#include "config/ini_text.h"

#include <algorithm>
#include <vector>

namespace {

bool has_line_break(const QString& s) {
    return s.contains(u'\r') || s.contains(u'\n');
}

// Section name of a header line "[name]", or nothing.
std::optional<QString> header_name(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'[')) return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0) return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

bool same_name(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// Key of a "key=value" line (comments and blank lines have none).
std::optional<QString> line_key(const QString& line) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'[')) return std::nullopt;
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0) return std::nullopt;
    return t.left(eq).trimmed();
}

QString line_value(const QString& line) {
    QString v = line.mid(line.indexOf(u'=') + 1).trimmed();
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"')) v = v.mid(1, v.size() - 2);
    return v;
}

// One line of the file as byte offsets: [begin, end) is its text, [end, next) its line end
// (LF or CR LF; none on a last line without one).
struct Line {
    qsizetype begin;
    qsizetype end;
    qsizetype next;
};

std::vector<Line> lines_of(const QByteArray& content) {
    std::vector<Line> lines;
    for (qsizetype at = 0; at < content.size();) {
        const qsizetype lf = content.indexOf('\n', at);
        Line line{at, lf < 0 ? content.size() : lf, lf < 0 ? content.size() : lf + 1};
        if (lf >= 0 && line.end > at && content.at(line.end - 1) == '\r') --line.end;
        lines.push_back(line);
        at = line.next;
    }
    return lines;
}

// A line's text, decoded for finding names and values; a byte order mark opening the file is
// not part of it.
QString text_of(const QByteArray& content, const Line& line) {
    qsizetype begin = line.begin;
    if (begin == 0 && content.startsWith("\xEF\xBB\xBF")) begin = std::min<qsizetype>(3, line.end);
    return QString::fromUtf8(content.constData() + begin, line.end - begin);
}

QByteArray line_end_of(const QByteArray& content) {
    if (content.contains("\r\n")) return QByteArrayLiteral("\r\n");
    if (content.contains('\n')) return QByteArrayLiteral("\n");
#ifdef _WIN32
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

}  // namespace

std::optional<QString> ini_lookup(const QByteArray& content, const QString& section,
                                  const QString& key) {
    for (const auto& [k, value] : ini_section_entries(content, section)) {
        if (same_name(k, key)) return value;
    }
    return std::nullopt;
}

QList<QPair<QString, QString>> ini_section_entries(const QByteArray& content,
                                                   const QString& section) {
    QList<QPair<QString, QString>> out;
    bool in_section = false;
    for (const Line& line : lines_of(content)) {
        const QString text = text_of(content, line);
        if (const auto name = header_name(text)) {
            in_section = same_name(*name, section);
            continue;
        }
        if (!in_section) continue;
        if (const auto k = line_key(text)) out.append({*k, line_value(text)});
    }
    return out;
}

std::optional<QByteArray> ini_update(const QByteArray& content, const QString& section,
                                     const QString& key, const QString& value) {
    if (has_line_break(section) || has_line_break(key) || has_line_break(value))
        return std::nullopt;
    if (section.trimmed().isEmpty() || key.trimmed().isEmpty()) return std::nullopt;
    if (key.contains(u'=') || section.contains(u']')) return std::nullopt;
    // Such a key line would read back as a comment or a section header: the value would be lost.
    const QString k = key.trimmed();
    if (k.startsWith(u';') || k.startsWith(u'[')) return std::nullopt;

    const QByteArray eol = line_end_of(content);
    const std::vector<Line> lines = lines_of(content);
    const QByteArray entry = (key + u'=' + value).toUtf8();
    QByteArray out = content;

    qsizetype section_at = -1;    // header line of the first matching section
    qsizetype last_content = -1;  // last non-blank line inside it
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
        const Line& line = lines[static_cast<size_t>(i)];
        const QString text = text_of(content, line);
        if (const auto name = header_name(text)) {
            if (section_at >= 0) break;  // left the section
            if (same_name(*name, section)) section_at = last_content = i;
            continue;
        }
        if (section_at < 0) continue;
        if (const auto found = line_key(text); found && same_name(*found, key)) {
            return out.replace(line.begin, line.end - line.begin, entry);
        }
        if (!text.trimmed().isEmpty()) last_content = i;
    }
    if (section_at >= 0) {
        const Line& after = lines[static_cast<size_t>(last_content)];
        QByteArray added = entry + eol;
        if (after.next == after.end) added.prepend(eol);  // the file's last line had no end
        return out.insert(after.next, added);
    }
    if (!out.isEmpty() && !out.endsWith('\n')) out += eol;
    return out + '[' + section.toUtf8() + ']' + eol + entry + eol;
}
