#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// Profile-file text handling, free of any file access. The file is handled as bytes, one line
// at a time: only the values read are decoded (as UTF-8), so a line in another encoding (a
// Shift-JIS comment) is carried through a write byte for byte. Section and key names match
// without regard to letter case or surrounding blanks; values are trimmed and lose one pair of
// surrounding double quotes, as the classic profile reader does.

std::optional<QString> ini_lookup(const QByteArray& content, const QString& section,
                                  const QString& key);

// The content with key set to value (stored as UTF-8) in section: an existing key's line is
// replaced, keeping its line end; a new key goes to the end of its section, a new section to
// the end of the file. Every other byte stays where it was; a last line without a line end
// gains one when something follows it. Nothing when a name or the value could break the
// file's structure (a line break anywhere, "=" in the key or a key starting with ";" or "[",
// "]" in the section, an empty name).
std::optional<QByteArray> ini_update(const QByteArray& content, const QString& section,
                                     const QString& key, const QString& value);

// Every "key=value" entry of section, in file order (values as ini_lookup gives them).
QList<QPair<QString, QString>> ini_section_entries(const QByteArray& content,
                                                   const QString& section);
