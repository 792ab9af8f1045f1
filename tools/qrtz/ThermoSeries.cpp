#include "ThermoSeries.h"

#include <algorithm>
#include <cmath>

#include "Commands.h"
#include "qrtzdb/simulation/KelDbSim.h"

namespace qrtz::tool {

namespace {

// The reader converts quantities 1 and 15 to 20 from gigapascal to atmospheres and 3, 4 and 12
// to 14 from g·Å²·fs⁻² per mole to J/mol; 2 and 6 to 11 are the cell's. Quantity 0 is the
// temperature the simulator records first.
std::string labelOf(int q, const std::string& name) {
    if (q == 0) return name + ": temperature (K)";
    if (q == 1 || (q >= 15 && q <= 20)) return name + ": pressure (atm)";
    if (q == 3 || q == 4 || (q >= 12 && q <= 14)) return name + ": energy (J/mol)";
    if (q == 2) return "volume (Å³)";
    if (q >= 6 && q <= 8) return name + " (Å)";
    if (q >= 9 && q <= 11) return name + " (°)";
    return name;
}


} // namespace

std::string QuantityName(int q) {
    static const char* named[12] = {nullptr, nullptr, "volume", nullptr, nullptr, nullptr,
                                    "a",     "b",     "c",      "alpha", "beta",  "gamma"};
    if (q < 12 && named[q]) return named[q];
    return "q" + std::to_string(q);
}

ThermoTable ThermoOf(const KelDbSim& sim) {
    ThermoTable table;
    const auto frames = static_cast<std::size_t>(std::max(sim.m_nStepCount, 0));
    if (sim.m_pfTime.size() < frames) return table;  // no header read
    table.time.assign(sim.m_pfTime.begin(), sim.m_pfTime.begin() + static_cast<long>(frames));
    // As `qrtz sim thermo`: the quantities the file holds, and at least the cell's.
    const int quantities = std::min(std::max(sim.m_nThermoCount, 12),
                                    static_cast<int>(sim.m_ppfThermo.size()));
    for (int q = 0; q < quantities; ++q) {
        const auto& column = sim.m_ppfThermo[static_cast<std::size_t>(q)];
        ThermoSeries& s = table.series.emplace_back();
        s.name = QuantityName(q);
        s.label = labelOf(q, s.name);
        s.values.assign(column.begin(), column.begin() + static_cast<long>(std::min(frames, column.size())));
    }
    ThermoSeries& density = table.series.emplace_back();
    density.name = "density_g_cm3";
    density.label = "density (g/cm³)";
    for (std::size_t f = 0; f < frames && f < sim.m_pfDensity.size(); ++f)
        density.values.push_back(static_cast<double>(sim.m_pfDensity[f]) * 1e24);
    return table;
}

bool HasData(const ThermoSeries& series) {
    return std::any_of(series.values.begin(), series.values.end(),
                       [](double v) { return std::isfinite(v) && v != 0.0; });
}

std::vector<const ThermoSeries*> PickSeries(const ThermoTable& table,
                                            const std::vector<std::string>& names) {
    std::vector<const ThermoSeries*> picked;
    for (const std::string& name : names) {
        auto found = std::find_if(table.series.begin(), table.series.end(),
                                  [&](const ThermoSeries& s) { return s.name == name; });
        if (found == table.series.end()) {
            std::string known;
            for (const ThermoSeries& s : table.series) known += (known.empty() ? "" : ", ") + s.name;
            throw ToolError("no series '" + name + "' (the run has: " + known + ")");
        }
        picked.push_back(&*found);
    }
    return picked;
}

} // namespace qrtz::tool
