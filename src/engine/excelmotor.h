// A motor described by a data sheet in a workbook: its tables, how they are
// read from the sheet, and the motor step that turns current and velocity
// into torque, current out, losses and cogging.
//
// The sheet holds labelled parameters (label in column A, value in column B,
// rows 1 to 101) and columns of velocities, torques at maximum current and
// loss torques from a given row; a cogging table of harmonics, magnitudes and
// phases is optional. Loading checks everything the motor step divides by or
// indexes with, so a sheet with missing labels, too short tables, a zero
// maximum current, equal consecutive velocities or a last velocity of 0 is
// refused with a run-time error naming the label rather than modelled with
// garbage.
#pragma once

#include <vector>

namespace korvel {

class KSheet;

struct KMotorTables {
    double maxCurrent = 0.0;   // Imax
    double r25 = 0.0;          // winding resistance at 25 degrees C
    double tempCoeff = 0.0;    // k: resistance grows by k^(T - 25)
    double maxVelocity = 0.0;  // Vmax, the last velocity of the sheet
    // The torque limit and the loss torque at L equally spaced speeds from 0
    // to Vmax; the torque limit at Vmax is 0.
    std::vector<double> torque;
    bool useLoss = false;
    std::vector<double> loss;
    bool useCog = false;
    std::vector<double> cogHarmonic;
    std::vector<double> cogMagnitude;
    std::vector<double> cogPhase;
};

// Reads the motor's tables from the sheet. Throws KRunError naming the
// sheet, the label or the cell at fault.
KMotorTables LoadMotorTables(const KSheet& sheet);

struct KMotorInputs {
    double current = 0.0;
    double velocity = 0.0;
    double position = 0.0;
    double temperature = 25.0;
};

struct KMotorOutputs {
    double torque = 0.0;
    double currentOut = 0.0;
    double powerLoss = 0.0;
};

// The value of a linear table (entries for speeds 0 to vmax) at |speed| <= vmax.
double LinearTableAt(const std::vector<double>& table, double vmax, double speed);

// One motor step. `dynamicKt` (torque per current out) is updated only when
// the current out is above 1e-5 in magnitude and otherwise keeps its value.
KMotorOutputs MotorStep(const KMotorTables& tables, const KMotorInputs& in, double& dynamicKt);

}  // namespace korvel
