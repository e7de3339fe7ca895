#!/usr/bin/python3
"""Writes the Moon reference table the bridge's tests compare against.

Topocentric apparent azimuth and elevation of the Moon from PyEphem (Debian package
python3-ephem), refraction off (pressure 0), at 500 instants spread over 2020-2035 for three
stations. Run it again only to widen or change the table:

    /usr/bin/python3 tools/track-bridge/make_moon_table.py > tests/bridge/moon_reference.csv
"""
import datetime
import sys

import ephem

# name, latitude, longitude (degrees, east positive), altitude (m)
STATIONS = [
    ("tokyo", 35.6895, 139.6917, 40.0),
    ("santiago", -33.4489, -70.6693, 570.0),
    ("longyearbyen", 78.2232, 15.6469, 10.0),
]
ROWS = 500
START = datetime.datetime(2020, 1, 1, tzinfo=datetime.timezone.utc)
END = datetime.datetime(2036, 1, 1, tzinfo=datetime.timezone.utc)


def moon_az_el(when, station):
    _, lat, lon, alt = station
    observer = ephem.Observer()
    observer.lat = str(lat)
    observer.lon = str(lon)
    observer.elevation = alt
    observer.pressure = 0
    observer.date = ephem.Date(when.replace(tzinfo=None))
    moon = ephem.Moon(observer)
    return float(moon.az) * 180 / ephem.pi, float(moon.alt) * 180 / ephem.pi


def main():
    out = sys.stdout
    out.write("# PyEphem %s, refraction off; unix seconds, then azimuth and elevation"
              " (degrees) per station\n" % ephem.__version__)
    for name, lat, lon, alt in STATIONS:
        out.write("# station %s %.4f %.4f %.1f\n" % (name, lat, lon, alt))
    step = (END - START) / ROWS
    for i in range(ROWS):
        # A step that is no whole number of days spreads the rows over every hour.
        when = START + step * i + datetime.timedelta(minutes=(i * 37) % 1440)
        unix = int(when.timestamp())
        when = datetime.datetime.fromtimestamp(unix, datetime.timezone.utc)
        cells = [str(unix)]
        for station in STATIONS:
            az, el = moon_az_el(when, station)
            cells += ["%.5f" % az, "%.5f" % el]
        out.write(",".join(cells) + "\n")


if __name__ == "__main__":
    main()
