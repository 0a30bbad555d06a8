// Drawing the sweep's chart as SVG text.
#include "app/sweep/results_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "app/sweep/results_csv.h"

namespace {

constexpr double kWidth = 980;
constexpr double kLabelRight = 340;  // labels end here, bars start
constexpr double kBarLeft = 350;
constexpr double kBarRight = 880;
constexpr double kRow = 18;
constexpr double kBarHeight = 12;

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", v);
  return buffer;
}

std::string TickText(double v) {
  char buffer[32];
  if (v >= 1e6)
    std::snprintf(buffer, sizeof buffer, "%gM", v / 1e6);
  else if (v >= 1e4)
    std::snprintf(buffer, sizeof buffer, "%gk", v / 1e3);
  else
    std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

const char* ModeColour(const std::string& mode) {
  if (mode == "static") return "#e08a2c";
  if (mode == "defined") return "#3a9a5b";
  return "#3b73b9";
}

// The step of about five ticks over 0..high: 1, 2 or 5 times a power of 10.
double NiceStep(double high) {
  double raw = high / 5.0;
  double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (raw <= m * power) return m * power;
  return 10.0 * power;
}

}  // namespace

double ChartAxis::Position(double value) const {
  if (logarithmic) {
    if (value <= low) return 0.0;
    return std::clamp((std::log10(value) - std::log10(low)) / (std::log10(high) - std::log10(low)), 0.0, 1.0);
  }
  return std::clamp((value - low) / (high - low), 0.0, 1.0);
}

ChartAxis ChooseAxis(const std::vector<double>& values) {
  ChartAxis axis;
  double high = 0.0, low_positive = 0.0;
  for (double v : values) {
    high = std::max(high, v);
    if (v > 0.0 && (low_positive == 0.0 || v < low_positive)) low_positive = v;
  }
  if (high <= 0.0) high = 1.0;
  if (low_positive > 0.0 && high / low_positive > 20.0) {
    axis.logarithmic = true;
    axis.low = std::pow(10.0, std::floor(std::log10(low_positive)));
    axis.high = std::pow(10.0, std::ceil(std::log10(high)));
    if (axis.high <= axis.low) axis.high = axis.low * 10.0;
    for (double t = axis.low; t <= axis.high * 1.0001; t *= 10.0) axis.ticks.push_back(t);
    return axis;
  }
  double step = NiceStep(high);
  axis.low = 0.0;
  axis.high = std::ceil(high / step) * step;
  for (int i = 0; i * step <= axis.high * 1.0001; ++i) axis.ticks.push_back(i * step);
  return axis;
}

std::string FormatResultsSvg(const SweepResults& results) {
  std::vector<unsigned> calls_order;
  bool several_modes = false;
  for (const SweepRow& r : results.rows) {
    if (std::find(calls_order.begin(), calls_order.end(), r.calls) == calls_order.end()) calls_order.push_back(r.calls);
    several_modes = several_modes || r.mode != results.rows.front().mode;
  }

  std::string body;
  double y = 20;
  auto text = [&](double x, double ty, const std::string& s, const char* extra = "") {
    body += "<text x=\"" + Num(x) + "\" y=\"" + Num(ty) + "\"" + extra + ">" + Escape(s) + "</text>\n";
  };
  text(10, y, "vornel sweep: median frames per second of each test", " class=\"title\"");
  y += 18;
  std::string about = FactValue(results, "renderer");
  for (const char* key : {"back buffer", "build type", "cpu", "date"}) {
    std::string v = FactValue(results, key);
    if (!v.empty()) about += (about.empty() ? "" : "; ") + v;
  }
  text(10, y, about, " class=\"note\"");
  y += 16;
  text(10, y, "bar: median of the full seconds; whisker: their minimum to maximum", " class=\"note\"");
  y += 10;
  if (several_modes) {
    double x = 10;
    for (const char* mode : {"random", "static", "defined"}) {
      body += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y + 4) + "\" width=\"10\" height=\"10\" fill=\"" +
              ModeColour(mode) + "\"/>\n";
      text(x + 14, y + 13, mode, " class=\"note\"");
      x += 80;
    }
    y += 16;
  }

  for (unsigned calls : calls_order) {
    std::vector<const SweepRow*> rows;
    std::vector<double> values;
    for (const SweepRow& r : results.rows) {
      if (r.calls != calls) continue;
      rows.push_back(&r);
      if (r.stats.valid) values.insert(values.end(), {r.stats.median, double(r.stats.minimum), double(r.stats.maximum)});
    }
    ChartAxis axis = ChooseAxis(values);
    auto x_of = [&](double v) { return kBarLeft + axis.Position(v) * (kBarRight - kBarLeft); };

    y += 28;
    text(10, y, "Calls per frame: " + std::to_string(calls) + (axis.logarithmic ? " (logarithmic scale)" : ""),
         " class=\"group\"");
    y += 8;
    const double top = y;
    const double bottom = y + rows.size() * kRow + 4;
    for (double t : axis.ticks) {
      double x = x_of(t);
      body += "<line x1=\"" + Num(x) + "\" y1=\"" + Num(top) + "\" x2=\"" + Num(x) + "\" y2=\"" + Num(bottom) +
              "\" class=\"grid\"/>\n";
      text(x, bottom + 12, TickText(t), " class=\"tick\" text-anchor=\"middle\"");
    }
    for (const SweepRow* r : rows) {
      const double mid = y + kRow / 2 + 2;
      std::string label = DisplayPath(r->menuPath);
      if (label.empty()) label = r->testName;
      if (several_modes) label += " (" + r->mode + ")";
      text(kLabelRight, mid + 4, label, " text-anchor=\"end\"");
      if (r->stats.valid) {
        double x0 = x_of(axis.low), x1 = x_of(r->stats.median);
        body += "<rect x=\"" + Num(x0) + "\" y=\"" + Num(mid - kBarHeight / 2) + "\" width=\"" +
                Num(std::max(1.0, x1 - x0)) + "\" height=\"" + Num(kBarHeight) + "\" fill=\"" + ModeColour(r->mode) +
                "\"><title>" + Escape(label + ": median " + FormatCount(r->stats.median) + " FPS, " +
                                      std::to_string(r->stats.minimum) + "-" + std::to_string(r->stats.maximum)) +
                "</title></rect>\n";
        double lo = x_of(r->stats.minimum), hi = x_of(r->stats.maximum);
        body += "<path d=\"M" + Num(lo) + " " + Num(mid) + "H" + Num(hi) + "M" + Num(lo) + " " + Num(mid - 4) + "V" +
                Num(mid + 4) + "M" + Num(hi) + " " + Num(mid - 4) + "V" + Num(mid + 4) + "\" class=\"whisker\"/>\n";
        text(std::max(x1, hi) + 4, mid + 4, FormatCount(r->stats.median), " class=\"value\"");
      } else {
        text(kBarLeft + 4, mid + 4, "no full second measured", " class=\"value\"");
      }
      y += kRow;
    }
    y = bottom + 16;
  }
  y += 12;

  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(kWidth) + "\" height=\"" + Num(y) +
         "\" viewBox=\"0 0 " + Num(kWidth) + " " + Num(y) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  out +=
      "<style>.title{font-size:16px;font-weight:bold}.group{font-size:13px;font-weight:bold}"
      ".note{fill:#555}.tick{fill:#777;font-size:10px}.value{fill:#333;font-size:10px}"
      ".grid{stroke:#ddd;stroke-width:1}.whisker{stroke:#222;stroke-width:1.2;fill:none}</style>\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out += body;
  out += "</svg>\n";
  return out;
}

bool WriteResultsSvg(const std::string& path, const SweepResults& results, std::string* error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << FormatResultsSvg(results);
  file.close();
  if (!file) {
    *error = "cannot write '" + path + "'";
    return false;
  }
  return true;
}
