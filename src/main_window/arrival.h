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

// The reported angles widened by the tolerances (rounded half-to-even to whole degrees, a
// lower bound below 0 taken as 0) must hold the target's whole degrees (rounded down; an
// elevation below 0 taken as 0, as it was commanded). The scale is linear: no window wraps
// around north. Values too large to round, or not numbers, never count as arrived.
bool antenna_arrived(const ArrivalCheck& c);
