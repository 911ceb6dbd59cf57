#pragma once

#include <QString>

// Marks one step of a subcommand (reading, importing, building a map,
// writing images). When stderr is a terminal and the step runs for more than
// a second, a line on stderr shows the step and its running time, and says
// when it is done; otherwise nothing is written. Steps do not nest: an inner
// step is ignored while an outer one runs.
class StProgressStep
{
public:
    explicit StProgressStep(const QString& what);
    ~StProgressStep();
    StProgressStep(const StProgressStep&) = delete;
    StProgressStep& operator=(const StProgressStep&) = delete;

private:
    bool mOwnsLine = false;
};
