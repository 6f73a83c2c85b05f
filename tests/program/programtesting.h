// A program bound to eight inputs and eight outputs, as an 8x8 program
// block binds it, for the language tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "program/program.h"

namespace korvel::test {

struct ProgramHarness {
    std::array<double, 8> in{};
    std::array<double, 8> out{};
    std::vector<KProgramVariable> variables;
    KProgram program;
    KProgramError error;

    ProgramHarness() {
        for (int i = 0; i < 8; ++i)
            variables.push_back({"Input" + std::to_string(i + 1), &in[i], &in[i]});
        for (int i = 0; i < 8; ++i)
            variables.push_back({"Output" + std::to_string(i + 1), &out[i], &out[i]});
    }
    ProgramHarness(const ProgramHarness&) = delete;

    bool Compile(const std::string& text) { return program.Compile(text, variables, "P1", error); }

    // Compiles and runs once at time t; the message of a fault, or empty.
    std::string Run(const std::string& text, double t = 0.0) {
        if (!Compile(text)) {
            ADD_FAILURE() << "does not compile: " << error.text;
            return "compile";
        }
        try {
            program.Run(t);
        } catch (const KProgramFault& fault) {
            return fault.what();
        }
        return {};
    }
};

}  // namespace korvel::test
