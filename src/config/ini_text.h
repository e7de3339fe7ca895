#pragma once

#include <QString>
#include <optional>

// Profile-file text handling, free of any file access. Section and key names match without
// regard to letter case or surrounding blanks; values are trimmed and lose one pair of
// surrounding double quotes, as the classic profile reader does.

std::optional<QString> ini_lookup(const QString& content, const QString& section, const QString& key);

// The content with key set to value in section: an existing key is replaced in place, a new
// key goes to the end of its section, a new section to the end of the file. Every other line
// is kept as it was. Nothing when a name or the value could break the file's structure
// (a line break anywhere, "=" in the key or a key starting with ";" or "[", "]" in the section,
// an empty name).
std::optional<QString> ini_update(const QString& content, const QString& section, const QString& key,
                                  const QString& value);
