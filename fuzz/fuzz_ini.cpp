// Profile-file text: what the writer stores, the reader gives back, and no other byte moves.

#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

#include "config/ini_text.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

QString utf8(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The content's lines as bytes, split at LF only: a CR before the LF stays with its line.
QList<QByteArray> lines_of(const QByteArray& content) {
    QList<QByteArray> lines = content.split('\n');
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QString shown(const QByteArray& bytes) {
    return shown(QString::fromLatin1(bytes));
}

bool same_name(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// A value as the reader returns it: trimmed, one pair of surrounding double quotes removed.
QString as_read(const QString& value) {
    QString v = value.trimmed();
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"')) v = v.mid(1, v.size() - 2);
    return v;
}

bool storable(const QString& section, const QString& key, const QString& value) {
    for (const QString& s : {section, key, value}) {
        if (s.contains(u'\r') || s.contains(u'\n')) return false;
    }
    const QString k = key.trimmed();
    return !section.trimmed().isEmpty() && !k.isEmpty() && !key.contains(u'=') &&
           !section.contains(u']') && !k.startsWith(u';') && !k.startsWith(u'[');
}

// Every section and key name the content shows, as candidates for lookups.
struct Names {
    QStringList sections;
    QStringList keys;
};

Names names_in(const QByteArray& content) {
    Names names;
    for (const QByteArray& line : lines_of(content)) {
        const QString t = QString::fromUtf8(line).trimmed();
        if (t.startsWith(u'[')) {
            if (const qsizetype close = t.indexOf(u']'); close > 0 && names.sections.size() < 8) {
                names.sections << t.mid(1, close - 1);
            }
        } else if (const qsizetype eq = t.indexOf(u'='); eq >= 0 && names.keys.size() < 8) {
            names.keys << t.left(eq);
        }
    }
    return names;
}

using Lookup = std::pair<QString, QString>;  // section, key

// Every lookup but the one written reads the same before and after.
void check_others_unchanged(const QByteArray& before, const QByteArray& after,
                            const Lookup& written, const std::vector<Lookup>& lookups) {
    for (const auto& [section, key] : lookups) {
        if (same_name(section, written.first) && same_name(key, written.second)) continue;
        FUZZ_CHECK(ini_lookup(after, section, key) == ini_lookup(before, section, key),
                   shown(before) + QStringLiteral(" -> ") + shown(after) + QStringLiteral(" at ") +
                       shown(section) + u'/' + shown(key));
    }
}

// A written line: its text, and a CR when the file's lines end in CR LF.
bool is_line(const QByteArray& line, const QByteArray& text) {
    return line == text || line == text + '\r';
}

// The result is the content with one line's text replaced, one entry added to its section, or a
// new section with its entry at the end; every other byte is as it was, but for a line end
// added to a last line that had none.
void check_lines_kept(const QByteArray& before, const QByteArray& after, const QByteArray& entry,
                      const QByteArray& header) {
    QByteArray kept = before;
    if (!before.isEmpty() && !before.endsWith('\n') && after.startsWith(before)) {
        const QByteArray rest = after.mid(before.size());
        if (rest.startsWith("\r\n")) {
            kept += "\r\n";
        } else if (rest.startsWith('\n')) {
            kept += '\n';
        }
    }
    QList<QByteArray> old_lines = lines_of(kept);
    QList<QByteArray> new_lines = lines_of(after);
    const QString context = shown(before) + QStringLiteral(" -> ") + shown(after);
    const qsizetype added = new_lines.size() - old_lines.size();
    FUZZ_CHECK(added >= 0 && added <= 2, context);
    FUZZ_CHECK(after.endsWith('\n') == (kept.endsWith('\n') || kept.isEmpty() || added == 2),
               context);
    if (added == 2) {
        FUZZ_CHECK(is_line(new_lines[new_lines.size() - 2], header), context);
        FUZZ_CHECK(is_line(new_lines.last(), entry), context);
        new_lines.resize(new_lines.size() - 2);
        FUZZ_CHECK(new_lines == old_lines, context);
        return;
    }
    qsizetype differ = 0;
    while (differ < old_lines.size() && old_lines[differ] == new_lines[differ]) ++differ;
    if (added == 0 && differ == old_lines.size()) {
        FUZZ_CHECK(kept == after, context);  // the key's line already read so
        return;
    }
    FUZZ_CHECK(differ < new_lines.size(), context);
    if (added == 0) {
        // Replaced in place: the line keeps its own line end.
        const bool ended = differ + 1 < old_lines.size() || kept.endsWith('\n');
        const bool crlf = ended && old_lines[differ].endsWith('\r');
        FUZZ_CHECK(new_lines[differ] == (crlf ? entry + '\r' : entry), context);
        old_lines.removeAt(differ);
    } else {
        FUZZ_CHECK(is_line(new_lines[differ], entry), context);
    }
    new_lines.removeAt(differ);
    FUZZ_CHECK(new_lines == old_lines, context);
}

QString pick_name(FuzzInput& in, const QStringList& seen) {
    if (!seen.isEmpty() && in.ConsumeBool()) {
        return seen.at(in.ConsumeIntegralInRange<qsizetype>(0, seen.size() - 1));
    }
    return utf8(in.ConsumeRandomLengthString(24));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    // Raw bytes: a settings file may hold lines in any encoding.
    const std::string raw = in.ConsumeRandomLengthString(2048);
    QByteArray content(raw.data(), static_cast<qsizetype>(raw.size()));
    const Names names = names_in(content);

    std::vector<Lookup> lookups;
    for (const QString& section : names.sections) {
        for (const QString& key : names.keys) lookups.emplace_back(section, key);
    }

    // Two writes in a row; the second must keep the first.
    std::vector<std::pair<Lookup, QString>> stored;
    for (int round = 0; round < 2 && in.remaining_bytes() > 0; ++round) {
        const QString section = pick_name(in, names.sections);
        const QString key = pick_name(in, names.keys);
        const QString value = utf8(in.ConsumeRandomLengthString(48));
        lookups.emplace_back(section, key);
        const QString context =
            shown(content) + u' ' + shown(section) + u'/' + shown(key) + u'=' + shown(value);

        const auto updated = ini_update(content, section, key, value);
        FUZZ_CHECK(updated.has_value() == storable(section, key, value), context);
        if (!updated) continue;
        FUZZ_CHECK(ini_lookup(*updated, section, key) == as_read(value),
                   context + QStringLiteral(" -> ") + shown(*updated));
        check_others_unchanged(content, *updated, {section, key}, lookups);
        check_lines_kept(content, *updated, (key + u'=' + value).toUtf8(),
                         (u'[' + section + u']').toUtf8());
        stored.push_back({{section, key}, value});
        content = *updated;
    }
    if (stored.size() == 2 && !(same_name(stored[0].first.first, stored[1].first.first) &&
                                same_name(stored[0].first.second, stored[1].first.second))) {
        const auto& [first, value] = stored[0];
        FUZZ_CHECK(ini_lookup(content, first.first, first.second) == as_read(value),
                   shown(content));
    }
    return 0;
}
