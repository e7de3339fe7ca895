// Move commands composed from whatever the azimuth and elevation boxes hold.

#include <QRegularExpression>
#include <cmath>
#include <cstdint>
#include <limits>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "link/hex.h"
#include "link/move_command.h"
#include "link/numeric.h"

namespace {

QString utf8(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool whole_degrees_fit(double degrees) {
    const double whole = std::floor(degrees);
    return std::isfinite(whole) && whole >= std::numeric_limits<std::int32_t>::min() &&
           whole <= std::numeric_limits<std::int32_t>::max();
}

// The angle written in the command: whole degrees, at least three digits.
void check_angle(const QString& written, double degrees, const QString& context) {
    bool ok = false;
    const long long value = written.toLongLong(&ok);
    FUZZ_CHECK(ok && value == std::floor(degrees), context);
    const QString digits = written.startsWith(u'-') ? written.mid(1) : written;
    FUZZ_CHECK(digits.size() >= 3 && (digits.size() == 3 || digits.front() != u'0'), context);
}

// The command goes out as hex wire text; reading the pairs back gives the command's bytes.
void check_wire_text(const QString& command) {
    QString hex;
    text_to_hex(command, hex);
    FUZZ_CHECK(hex.size() == 2 * command.size(), shown(command) + u' ' + hex);
    QByteArray decoded;
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        for (const QChar c : hex.mid(i, 2)) {
            FUZZ_CHECK((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'), hex);
        }
        std::uint8_t byte = 0;
        hex_to_byte(hex.mid(i, 2), byte);
        decoded.append(static_cast<char>(byte));
    }
    FUZZ_CHECK(decoded == command.toLatin1(), shown(command) + u' ' + hex);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QString azimuth_box = utf8(in.ConsumeRandomLengthString(64));
    const QString elevation_box = utf8(in.ConsumeRemainingBytesAsString());
    const QString context = shown(azimuth_box) + u' ' + shown(elevation_box);

    const double azimuth = numeric_value(azimuth_box);
    const double elevation = numeric_value(elevation_box);
    const auto command = compose_move_command(azimuth, elevation);
    FUZZ_CHECK(command.has_value() == (whole_degrees_fit(azimuth) && whole_degrees_fit(elevation)),
               context);
    if (!command) return 0;

    static const QRegularExpression pattern(
        QStringLiteral("^W(-?[0-9]{3,10}) (-?[0-9]{3,10})\\r$"));
    const auto match = pattern.match(*command);
    FUZZ_CHECK(match.hasMatch(), context + u' ' + shown(*command));
    check_angle(match.captured(1), azimuth, context);
    check_angle(match.captured(2), elevation, context);
    check_wire_text(*command);
    return 0;
}
