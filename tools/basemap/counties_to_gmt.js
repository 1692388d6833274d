// Writes the county boundaries inside a longitude/latitude box as a GMT
// multi-segment text file (one "> name" header per line string, then
// "lon lat" rows).  Only borders between two counties are written: the
// coast is drawn from the shoreline data, which is far more detailed.
//
//   node counties_to_gmt.js WEST EAST SOUTH NORTH > counties.gmt
//
// Needs the npm packages us-atlas (counties-10m.json) and topojson-client,
// resolved from the current directory's node_modules.
"use strict";
const path = require("path");
const req = (name) => require(require.resolve(name, { paths: [process.cwd()] }));
const topojson = req("topojson-client");
const counties = req("us-atlas/counties-10m.json");

const [west, east, south, north] = process.argv.slice(2, 6).map(Number);
if ([west, east, south, north].some((v) => !Number.isFinite(v))) {
    process.stderr.write("usage: node " + path.basename(process.argv[1]) +
                         " WEST EAST SOUTH NORTH\n");
    process.exit(2);
}
// A margin so lines leaving the box are not cut short before the map edge.
const margin = 0.05;
const inside = ([lon, lat]) =>
    lon >= west - margin && lon <= east + margin &&
    lat >= south - margin && lat <= north + margin;

const mesh = topojson.mesh(counties, counties.objects.counties, (a, b) => a !== b);
const out = [];
let segments = 0;
for (const line of mesh.coordinates) {
    // Keep the runs of points near the box, each with its outside
    // neighbours so that long straight borders still reach the map edge
    // (the plotting step clips them).  A run needs two points.
    let run = [];
    const flush = () => {
        if (run.length >= 2) {
            out.push("> county border");
            for (const [lon, lat] of run) out.push(lon.toFixed(6) + " " + lat.toFixed(6));
            segments++;
        }
        run = [];
    };
    for (let i = 0; i < line.length; i++) {
        const near = inside(line[i]) ||
                     (i > 0 && inside(line[i - 1])) ||
                     (i + 1 < line.length && inside(line[i + 1]));
        if (near) run.push(line[i]); else flush();
    }
    flush();
}
process.stdout.write(out.join("\n") + "\n");
process.stderr.write(segments + " county border segments\n");
