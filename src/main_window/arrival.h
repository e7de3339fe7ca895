#pragma once

// Whether a manual move has reached its target, from the last reported position.
struct ArrivalCheck {
    double current_azimuth = 0;
    double current_elevation = 0;
    double azimuth_tolerance = 0;
    double elevation_tolerance = 0;
    double target_azimuth = 0;
    double target_elevation = 0;
};

// The reported angles widened by the tolerances (rounded half-to-even to whole degrees,
// azimuth bounds at 0 or below moved up by 360) must hold the target's whole degrees
// (rounded down). Near north the azimuth window is measured around the circle. Values too
// large to round, or not numbers, never count as arrived.
bool antenna_arrived(const ArrivalCheck& c);
