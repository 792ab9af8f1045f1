#pragma once
// The per-frame series of a simulation result file under the names `qrtz sim thermo` gives its
// columns, with a label for people; `qrtz view` and `qrtz sim plot` draw them.
#include <string>
#include <vector>

namespace qrtz {
class KelDbSim;
}

namespace qrtz::tool {

struct ThermoSeries {
    std::string name;   // "q0", "volume", "a", ..., "density_g_cm3"
    std::string label;  // with the quantity and unit where the reader fixes them
    std::vector<double> values;  // one per recorded frame
};

struct ThermoTable {
    std::vector<double> time;  // ps, one per recorded frame
    std::vector<ThermoSeries> series;
};

// Every series of the run: the thermodynamic quantities, the lattice constants and the density.
ThermoTable ThermoOf(const KelDbSim& sim);

// The column name of quantity q: the name this library gives it (volume, a ... gamma), else "qN".
std::string QuantityName(int q);

// Whether a series is worth drawing: it holds a finite value other than 0.
bool HasData(const ThermoSeries& series);

// The series of those names, in that order; throws ToolError naming an unknown one and the
// names there are.
std::vector<const ThermoSeries*> PickSeries(const ThermoTable& table,
                                            const std::vector<std::string>& names);

} // namespace qrtz::tool
