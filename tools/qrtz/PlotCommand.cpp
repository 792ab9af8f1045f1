// qrtz sim plot: the thermodynamic series of a run against time, as SVG or PNG for reports.
// One drawing routine serves both: cairo draws it on an SVG or an image surface.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include "Commands.h"
#include "Structure.h"
#include "ThermoSeries.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/simulation/KelDbSim.h"

namespace qrtz::tool {

namespace {

constexpr double kWidth = 800, kPanelHeight = 220;
constexpr double kLeft = 90, kRight = 24, kTop = 34, kBottom = 44;  // margins of a panel

struct Range {
    double low, high;
};

// The extent of the finite values, widened when they are all alike so the line sits mid-panel.
Range extent(const std::vector<double>& values) {
    Range r{INFINITY, -INFINITY};
    for (double v : values)
        if (std::isfinite(v)) r = {std::min(r.low, v), std::max(r.high, v)};
    if (!(r.low <= r.high)) return {0, 1};
    if (r.high - r.low <= 1e-12 * std::max(std::fabs(r.low), 1.0)) {
        const double pad = std::max(std::fabs(r.low) * 0.05, 1.0);
        return {r.low - pad, r.high + pad};
    }
    return r;
}

// Tick values at 1, 2 or 5 times a power of ten, about five over the range.
std::vector<double> ticks(Range r) {
    const double raw = (r.high - r.low) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double step = raw / power < 1.5 ? power : raw / power < 3.5 ? 2 * power : 5 * power;
    std::vector<double> out;
    for (double t = std::ceil(r.low / step) * step; t <= r.high + step * 1e-9 && out.size() < 20; t += step)
        out.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    return out;
}

std::string tickText(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", value);
    return buf;
}

void text(cairo_t* cr, double x, double y, const std::string& s, double alignX, double alignY) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_move_to(cr, x - e.width * alignX - e.x_bearing, y - e.height * alignY - e.y_bearing);
    cairo_show_text(cr, s.c_str());
}

void drawPanel(cairo_t* cr, double top, const std::vector<double>& time, const ThermoSeries& series,
               double red, double green, double blue) {
    const double x0 = kLeft, x1 = kWidth - kRight, y0 = top + kTop, y1 = top + kPanelHeight - kBottom;
    const Range tx = extent(time), ty = extent(series.values);
    auto px = [&](double t) { return x0 + (t - tx.low) / (tx.high - tx.low) * (x1 - x0); };
    auto py = [&](double v) { return y1 - (v - ty.low) / (ty.high - ty.low) * (y1 - y0); };

    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_font_size(cr, 14);
    text(cr, x0, top + 20, series.label, 0, 0.5);
    cairo_set_font_size(cr, 11);
    cairo_set_line_width(cr, 1);
    for (double t : ticks(tx)) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, px(t), y0);
        cairo_line_to(cr, px(t), y1);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        text(cr, px(t), y1 + 8, tickText(t), 0.5, 0);
    }
    for (double v : ticks(ty)) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, x0, py(v));
        cairo_line_to(cr, x1, py(v));
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        text(cr, x0 - 8, py(v), tickText(v), 1, 0.5);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    cairo_stroke(cr);
    text(cr, (x0 + x1) / 2, y1 + 26, "time (ps)", 0.5, 0);

    // One polyline through the finite points; a non-finite value breaks it.
    cairo_set_source_rgb(cr, red, green, blue);
    cairo_set_line_width(cr, 1.8);
    bool drawing = false;
    for (std::size_t f = 0; f < time.size() && f < series.values.size(); ++f) {
        const double t = time[f], v = series.values[f];
        if (!std::isfinite(t) || !std::isfinite(v)) {
            drawing = false;
            continue;
        }
        if (drawing) cairo_line_to(cr, px(t), py(v));
        else cairo_move_to(cr, px(t), py(v));
        drawing = true;
    }
    cairo_stroke(cr);
}

void draw(cairo_t* cr, const ThermoTable& table, const std::vector<const ThermoSeries*>& series) {
    static const double colours[][3] = {{0.12, 0.47, 0.71}, {0.84, 0.15, 0.16}, {0.17, 0.63, 0.17},
                                        {0.58, 0.40, 0.74}, {1.00, 0.50, 0.05}, {0.55, 0.34, 0.29}};
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    for (std::size_t p = 0; p < series.size(); ++p) {
        const double* c = colours[p % 6];
        drawPanel(cr, static_cast<double>(p) * kPanelHeight, table.time, *series[p], c[0], c[1], c[2]);
    }
}

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// The drawing as the bytes of an SVG or PNG file.
std::string render(bool svg, const ThermoTable& table, const std::vector<const ThermoSeries*>& series) {
    std::string bytes;
    const double height = kPanelHeight * static_cast<double>(series.size());
    cairo_surface_t* surface =
        svg ? cairo_svg_surface_create_for_stream(append, &bytes, kWidth, height)
            : cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(kWidth),
                                         static_cast<int>(height));
    cairo_t* cr = cairo_create(surface);
    draw(cr, table, series);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (!svg && status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_write_to_png_stream(surface, append, &bytes);
    cairo_surface_finish(surface);  // an SVG surface writes its document here
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) throw ToolError(std::string("drawing failed: ") + cairo_status_to_string(status));
    return bytes;
}

struct PlotOptions {
    std::string input, output;
    std::vector<std::string> series;
};

void plot(const PlotOptions& o) {
    const auto dot = o.output.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : o.output.substr(dot);
    if (ext != ".svg" && ext != ".png") throw ToolError(o.output + ": a plot is written as .svg or .png");

    CFile64 file(o.input.c_str(), CFile::modeRead);
    KelDbSim sim;
    sim.SetWarningSink([&](const CString& m) {
        std::fprintf(stderr, "qrtz: warning: %s: %s\n", o.input.c_str(), m.c_str());
    });
    try {
        sim.ReadHead(&file);
    } catch (const KelException& e) {
        throw ToolError(o.input + ": " + e.Message());
    }
    const ThermoTable table = ThermoOf(sim);
    if (table.time.empty()) throw ToolError(o.input + ": holds no frames");

    std::vector<const ThermoSeries*> series;
    if (!o.series.empty()) {
        series = PickSeries(table, o.series);
    } else {
        // Temperature, pressure, volume and density, those the run records.
        for (const ThermoSeries* s : PickSeries(table, {"q0", "q1", "volume", "density_g_cm3"}))
            if (HasData(*s)) series.push_back(s);
        if (series.empty()) throw ToolError(o.input + ": every series is 0; name some with --series");
    }
    const std::string bytes = render(ext == ".svg", table, series);
    // The font caches cairo and fontconfig keep for the process, let go once drawing is done,
    // so that a leak checker sees a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    WriteWholeFile(o.output, bytes);
    std::printf("%s: %zu series over %zu frames\n", o.output.c_str(), series.size(), table.time.size());
}

} // namespace

void AddSimPlotCommand(CLI::App& sim) {
    auto o = std::make_shared<PlotOptions>();
    auto* cmd = sim.add_subcommand("plot", "Draw thermodynamic series against time, one panel "
                                           "each, as SVG or PNG");
    cmd->add_option("run", o->input, "Simulation result file")->required();
    cmd->add_option("-o,--output", o->output, "The drawing (.svg or .png)")->required();
    cmd->add_option("--series", o->series, "Series as `qrtz sim thermo` names its columns, e.g. "
                                           "q0,volume,density_g_cm3 (default: q0, q1, volume, "
                                           "density_g_cm3, those not all 0)")
        ->delimiter(',');
    cmd->callback([o] { plot(*o); });
}

} // namespace qrtz::tool
