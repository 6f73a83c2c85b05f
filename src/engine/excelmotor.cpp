#include "engine/excelmotor.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "base/numberformat.h"
#include "engine/runerror.h"
#include "spreadsheet/cell.h"
#include "spreadsheet/workbook.h"

namespace korvel {

namespace {

constexpr int kLabelRows = 101;
// Tables longer than a sheet has rows are refused before anything is allocated.
constexpr int kMaxTableLength = kMaxSheetRow;

// The labelled parameters of a motor sheet: the first row 1..101 whose
// column A holds the label gives its column B; a missing label reads "0".
class Labels {
public:
    explicit Labels(const KSheet& sheet) : sheet_(sheet) {
        for (int row = kLabelRows; row >= 1; --row) rows_[CellText(sheet.Read({row, 1}))] = row;
    }

    std::string Text(const std::string& label) const {
        const auto found = rows_.find(label);
        if (found == rows_.end()) return "0";
        return CellText(sheet_.Read({found->second, 2}));
    }

    double Number(const std::string& label) const {
        const std::string text = Text(label);
        const auto value = TextToNumber(text);
        if (!value) Fail(label, "is \"" + text + "\", which is not a number");
        return *value;
    }

    int Integer(const std::string& label, int low, int high) const {
        const double value = Number(label);
        if (value != std::floor(value) || value < low || value > high)
            Fail(label, "is " + FormatGeneral(value, 15) + "; it must be a whole number from " +
                            std::to_string(low) + " to " + std::to_string(high));
        return static_cast<int>(value);
    }

    // Column letters ("B"), checked so that addresses built from them are cells.
    int Column(const std::string& label) const {
        const std::string text = Text(label);
        const auto address = ParseCellAddress(text + "1");
        if (!address) Fail(label, "is \"" + text + "\", which is not a column such as B");
        return address->column;
    }

    bool Yes(const std::string& label) const { return Text(label) == "y"; }

    [[noreturn]] void Fail(const std::string& label, const std::string& what) const {
        throw KRunError("motor sheet \"" + sheet_.Name() + "\": \"" + label + "\" " + what);
    }

private:
    const KSheet& sheet_;
    std::map<std::string, int> rows_;
};

std::vector<double> ReadColumn(const KSheet& sheet, int column, int firstRow, int count) {
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(count));
    for (int row = firstRow; row < firstRow + count; ++row) {
        const KCellValue cell = sheet.Read({row, column});
        const auto value = LoadNumber(cell);
        if (!value)
            throw KRunError("motor sheet \"" + sheet.Name() + "\": cell " +
                            FormatCellAddress({row, column}) + " holds \"" + CellText(cell) +
                            "\", which is not a number");
        values.push_back(*value);
    }
    return values;
}

// The table resampled at `length` equally spaced speeds from 0 to the last
// velocity, interpolating linearly in the first segment of the read
// velocities that holds each speed.
std::vector<double> Resample(const std::vector<double>& velocity, const std::vector<double>& value,
                             int length, const Labels& labels) {
    const double vmax = velocity.back();
    std::vector<double> table(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double v = std::min(i * vmax / (length - 1), vmax);
        std::size_t j = 0;
        while (j + 1 < velocity.size() && !(velocity[j] <= v && v <= velocity[j + 1])) ++j;
        if (j + 1 == velocity.size())
            labels.Fail("Velocity column", "has no two rows around the speed " +
                                               FormatGeneral(v, 15) +
                                               "; velocities must rise from 0 to the last");
        table[static_cast<std::size_t>(i)] = value[j] + (v - velocity[j]) *
                                                            (value[j + 1] - value[j]) /
                                                            (velocity[j + 1] - velocity[j]);
    }
    return table;
}

void LoadCogging(const KSheet& sheet, const Labels& labels, KMotorTables& t) {
    const int count = labels.Integer("Number of cog harmonics", 0, kMaxTableLength);
    if (count == 0) return;
    const int harmonic = labels.Column("Cog harmonic column");
    const int magnitude = labels.Column("Cog magnitude column");
    const int phase = labels.Column("Cog phase column");
    const int first = labels.Integer("Row of first cog harmonic", 1, kMaxSheetRow - count + 1);
    t.cogHarmonic = ReadColumn(sheet, harmonic, first, count);
    t.cogMagnitude = ReadColumn(sheet, magnitude, first, count);
    t.cogPhase = ReadColumn(sheet, phase, first, count);
}

}  // namespace

KMotorTables LoadMotorTables(const KSheet& sheet) {
    const Labels labels(sheet);
    KMotorTables t;
    t.maxCurrent = labels.Number("Maximum current");
    t.r25 = labels.Number("R @ 25 degrees C");
    t.tempCoeff = labels.Number("Winding temp coeff");
    const int velocityColumn = labels.Column("Velocity column");
    const int torqueColumn = labels.Column("Torque column");
    const int count = labels.Integer("Number of velocities", 2, kMaxTableLength);
    const int first = labels.Integer("Row of first velocity", 1, kMaxSheetRow - count + 1);
    const int length = labels.Integer("Linear torque table length", 2, kMaxTableLength);
    t.useLoss = labels.Yes("Use loss table?");
    const int lossColumn = t.useLoss ? labels.Column("Loss coefficient column") : 0;

    if (!(t.maxCurrent > 0)) labels.Fail("Maximum current", "must be greater than 0");
    // k^(T - 25) needs a positive base for every temperature.
    if (t.r25 > 0 && !(t.tempCoeff > 0))
        labels.Fail("Winding temp coeff", "must be greater than 0 when the resistance is");

    const auto velocity = ReadColumn(sheet, velocityColumn, first, count);
    const auto torque = ReadColumn(sheet, torqueColumn, first, count);
    for (std::size_t j = 0; j + 1 < velocity.size(); ++j)
        if (velocity[j] == velocity[j + 1])
            labels.Fail("Velocity column",
                        "has the velocity " + FormatGeneral(velocity[j], 15) + " in rows " +
                            std::to_string(first + static_cast<int>(j)) + " and " +
                            std::to_string(first + static_cast<int>(j) + 1));
    t.maxVelocity = velocity.back();
    if (!(t.maxVelocity > 0))
        labels.Fail("Velocity column", "must end with a velocity greater than 0");
    t.torque = Resample(velocity, torque, length, labels);
    t.torque.back() = 0.0;
    if (t.useLoss)
        t.loss = Resample(velocity, ReadColumn(sheet, lossColumn, first, count), length, labels);
    t.useCog = labels.Yes("Use cog table?");
    if (t.useCog) LoadCogging(sheet, labels, t);
    return t;
}

double LinearTableAt(const std::vector<double>& table, double vmax, double speed) {
    const int last = static_cast<int>(table.size()) - 1;
    const double p = speed / vmax * last;
    const int m = std::min(last - 1, static_cast<int>(std::floor(p)));
    return (p - m) * table[static_cast<std::size_t>(m) + 1] +
           (m + 1 - p) * table[static_cast<std::size_t>(m)];
}

KMotorOutputs MotorStep(const KMotorTables& t, const KMotorInputs& in, double& dynamicKt) {
    const double v = std::clamp(in.velocity, -t.maxVelocity, t.maxVelocity);
    const double ic = std::clamp(in.current, -t.maxCurrent, t.maxCurrent);
    const double linear = t.torque.front() * ic / t.maxCurrent;
    KMotorOutputs out;
    out.torque = linear;
    out.currentOut = ic;
    if (v * ic > 0) {  // motoring: the torque-speed limit applies
        const double limit = LinearTableAt(t.torque, t.maxVelocity, std::fabs(v));
        if (std::fabs(linear) > limit) {
            out.torque = std::copysign(limit, ic);
            out.currentOut = ic * limit / std::fabs(linear);
        }
    }
    // At the top speed the limit and so the current out are 0: no ratio.
    if (std::fabs(out.currentOut) > 1e-5) dynamicKt = out.torque / out.currentOut;
    for (std::size_t i = 0; i < t.cogHarmonic.size(); ++i)
        out.torque +=
            0.5 * t.cogMagnitude[i] * std::sin(in.position * t.cogHarmonic[i] - t.cogPhase[i]);
    if (t.useLoss) {
        const double loss = LinearTableAt(t.loss, t.maxVelocity, std::fabs(v));
        if (v > 0) {
            out.torque -= loss;
        } else if (v < 0) {
            out.torque += loss;
        } else {
            // At rest the loss is friction: it holds the motor against up to
            // its own size of torque and never drives it.
            out.torque =
                std::fabs(out.torque) <= loss ? 0.0 : out.torque - std::copysign(loss, out.torque);
        }
        out.powerLoss = std::fabs(v) * loss;
    }
    if (t.r25 > 0) out.powerLoss += ic * ic * t.r25 * std::pow(t.tempCoeff, in.temperature - 25.0);
    return out;
}

}  // namespace korvel
