// The unit multiplier table: the conversions a scaling multiplier can be set
// to. A multiplier on a constant converts into base units (the forward
// factor); a display multiplier converts out of them (the reverse factor).
#pragma once

#include <array>
#include <string_view>

namespace korvel {

struct KUnitConversion {
    std::string_view tab;
    std::string_view into;     // button text on a multiplier ("degrees -> radians")
    std::string_view outOf;    // button text on a display multiplier ("radians -> degrees")
    double forward;            // the Mult factor, into base units
    double reverse;            // the factor out of base units
};

inline constexpr std::array<KUnitConversion, 15> kUnitConversions{{
    {"Position", "revolutions -> radians", "radians -> revolutions", 6.2831852,
     0.15915494580678602},
    {"Position", "degrees -> radians", "radians -> degrees", 0.017453292222222222,
     57.29578049044297},
    {"Position", "arc-minutes -> radians", "radians -> arc-minutes", 0.0002908882037037037,
     3437.746829426578},
    {"Position", "arc-seconds -> radians", "radians -> arc-seconds", 4.848136728395062e-06,
     206264.8097655947},
    {"Velocity", "RPM -> radians/sec", "radians/sec -> RPM", 0.10471975333333333,
     9.549296748407162},
    {"Acceleration", "RPM/s -> radians/sec^2", "radians/sec^2 -> RPM/s", 0.10471975333333333,
     9.549296748407162},
    {"Torque", "lb-ft -> Nm", "Nm -> lb-ft", 1.366120218579235, 0.732},
    {"Torque", "lb-in -> Nm", "Nm -> lb-in", 0.11384335154826958, 8.784},
    {"Torque", "oz-in -> Nm", "Nm -> oz-in", 0.007115209471766849, 140.544},
    {"Inertia", "lb-ft-s^2 -> kg-m^2", "kg-m^2 -> lb-ft", 1.366120218579235, 0.732},
    {"Inertia", "lb-in-s^2 -> kg-m^2", "kg-m^2 -> lb-in", 0.11384335154826958, 8.784},
    {"Inertia", "oz-in-s^2 -> kg-m^2", "kg-m^2 -> oz-in", 0.007115209471766849, 140.544},
    {"Force", "lb -> N", "N -> lb", 4.445250839154495, 0.2249591836734694},
    {"Force", "oz -> N", "N -> oz", 0.27782817744715593, 3.5993469387755104},
    {"Force", "kg(f) -> N", "N -> kg(f)", 9.8, 0.1020408163265306},
}};

inline constexpr std::array<std::string_view, 6> kUnitTabs{
    "Position", "Velocity", "Acceleration", "Torque", "Inertia", "Force"};

}  // namespace korvel
