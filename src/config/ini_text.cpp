#include "config/ini_text.h"

#include <QStringList>

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

QStringList split_lines(const QString& content) {
    QString normalized = content;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = normalized.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QString line_end_of(const QString& content) {
    if (content.contains(QStringLiteral("\r\n"))) return QStringLiteral("\r\n");
    if (content.contains(u'\n')) return QStringLiteral("\n");
#ifdef _WIN32
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

}  // namespace

std::optional<QString> ini_lookup(const QString& content, const QString& section, const QString& key) {
    bool in_section = false;
    for (const QString& line : split_lines(content)) {
        if (const auto name = header_name(line)) {
            in_section = same_name(*name, section);
            continue;
        }
        if (!in_section) continue;
        if (const auto k = line_key(line); k && same_name(*k, key)) return line_value(line);
    }
    return std::nullopt;
}

std::optional<QString> ini_update(const QString& content, const QString& section, const QString& key,
                                  const QString& value) {
    if (has_line_break(section) || has_line_break(key) || has_line_break(value)) return std::nullopt;
    if (section.trimmed().isEmpty() || key.trimmed().isEmpty()) return std::nullopt;
    if (key.contains(u'=') || section.contains(u']')) return std::nullopt;
    // Such a key line would read back as a comment or a section header: the value would be lost.
    const QString k = key.trimmed();
    if (k.startsWith(u';') || k.startsWith(u'[')) return std::nullopt;

    const QString eol = line_end_of(content);
    QStringList lines = split_lines(content);
    const QString entry = key + u'=' + value;

    qsizetype section_at = -1;    // header line of the first matching section
    qsizetype last_content = -1;  // last non-blank line inside it
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = header_name(lines[i])) {
            if (section_at >= 0) break;  // left the section
            if (same_name(*name, section)) section_at = last_content = i;
            continue;
        }
        if (section_at < 0) continue;
        if (const auto k = line_key(lines[i]); k && same_name(*k, key)) {
            lines[i] = entry;
            return lines.join(eol) + eol;
        }
        if (!lines[i].trimmed().isEmpty()) last_content = i;
    }
    if (section_at >= 0) {
        lines.insert(last_content + 1, entry);
    } else {
        lines << (u'[' + section + u']') << entry;
    }
    return lines.join(eol) + eol;
}
