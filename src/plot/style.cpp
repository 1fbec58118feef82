#include "plot/figures.hpp"

namespace hs::plot {

const char* page_style() {
  return "body{font:14px/1.4 sans-serif;margin:16px 24px;color:#222}\n"
         "h1{font-size:20px;margin:0 0 4px}h2{font-size:17px;border-bottom:1px solid #bbb;"
         "margin:26px 0 8px}h3{font-size:15px;margin:16px 0 6px}\n"
         "table{border-collapse:collapse;margin:4px 14px 8px 0;display:inline-table;"
         "vertical-align:top}\n"
         "th,td{border:1px solid #ccc;padding:1px 7px;text-align:right;font-size:13px}"
         "th{background:#f2f2f2}\n"
         "p{margin:4px 0}.note,.caption{font-size:12px;color:#444;max-width:880px}"
         ".nothing{font-style:italic}\n"
         ".head{display:flex;flex-wrap:wrap;gap:10px 28px;align-items:flex-start}\n"
         ".polar{display:grid;grid-template-columns:auto repeat(3,auto);gap:2px 10px;"
         "align-items:center;justify-items:center;width:max-content}\n"
         ".colhead,.rowhead{font-size:13px;font-weight:bold;text-align:center}\n"
         ".charts{display:flex;flex-wrap:wrap;gap:6px 14px}figure{margin:0}"
         "figcaption{font-size:13px;text-align:center;font-weight:bold}\n"
         ".sw{display:inline-block;width:20px;height:3px;vertical-align:middle;margin:0 4px 0 12px}\n"
         "svg text{font:10px sans-serif;fill:#222}svg .title{font-size:11px}\n"
         ".coincide{fill:none;stroke-width:1.7;stroke-dasharray:4 4}.grid{stroke:#e6e6e6}.frame{fill:none;stroke:#555}.curve{fill:none;stroke-width:1.7}\n"
         ".hole{fill:#e4e4e4;stroke:#555}.plate-edge{stroke:#888;stroke-width:2}.zero{fill:none;stroke:#777;stroke-dasharray:3 3}"
         ".ring{fill:none;stroke:#e3e3e3}.axisline{stroke:#d0d0d0}\n"
         ".load{stroke:#333;fill:#333;stroke-width:1.4}.bolt{stroke:#b01c1c;fill:#b01c1c;"
         "stroke-width:2}.bypass{stroke:#b01c1c;fill:#b01c1c;stroke-width:1.4}"
         "svg .boltlabel{fill:#b01c1c}\n"
         ".keyfigure .caption{max-width:330px}.loads{max-width:560px}\n"
         ".tick{stroke:#999}svg .angle{font-size:9px;fill:#777}svg .scale{font-size:8.5px;fill:#555;"
         "paint-order:stroke;stroke:#fff;stroke-width:2.5px}\n"
         ".limit{stroke:#c00;stroke-dasharray:5 3}.critical{fill:none;stroke:#000;stroke-width:1.8}"
         ".minimum{fill:none;stroke-width:1.8}.swatch{stroke-width:3}svg .limitlabel{fill:#c00}"
         "svg .marklabel{font-size:10.5px;font-weight:bold;paint-order:stroke;stroke:#fff;"
         "stroke-width:3px}\n";
}

}  // namespace hs::plot
