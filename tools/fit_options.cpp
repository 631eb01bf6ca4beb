// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit_options.h"

#include "number_text.h"
#include "failure.h"
#include "mirror_options.h"
#include "record_file.h"

#include <cmath>

namespace sg {

std::string fitUsage() {
    return "Usage: shadowgram-fit PHOTO --diameter MM --radius MM --lines N [options]\n"
           "Fits the simulated grating test to a photo of it (JPEG or PNG): the grating's\n"
           "offset from the centre of curvature, the conic constant and, where you place\n"
           "one, a zone, each with its uncertainty. The offset is the --axial value at\n"
           "which shadowgram-render draws the fitted picture.\n"
           "\n"
           "  --diameter MM        mirror diameter\n"
           "  --radius MM          radius of curvature\n"
           "  --lines N            grating lines per mm\n"
           "  --inside             the grating stood inside the centre of curvature (nearer\n"
           "                       the mirror)\n"
           "  --outside            the grating stood outside it (farther from the mirror);\n"
           "                       without either, a second photo or the conic decides\n"
           "  --zone none|edge|centre\n"
           "                       a zone to fit: none (default), a turned edge, or a\n"
           "                       central zone; fitted with the exact ray trace\n"
           "  --zone-start FRACTION\n"
           "                       where the zone meets the conic, a fraction of the\n"
           "                       mirror's radius (default 0.8 for edge, 0.3 for centre)\n"
           "  --wavelength UM      the wavelength zone heights are counted in (default 0.55)\n"
           "  --source fixed|moving\n"
           "                       the tester's source: fixed at the centre of curvature\n"
           "                       (default) or moving with the grating\n"
           "  --exact              fit with the exact ray trace instead of the two-term\n"
           "                       series (as shadowgram-render --exact draws)\n"
           "  --second PHOTO       a second photo of the same mirror ...\n"
           "  --separation MM      ... with the grating this far farther from the mirror\n"
           "                       than in the first (negative: nearer), on the tester's\n"
           "                       scale; the pair decides the side\n"
           "  --json               print the results as JSON\n"
           "  --overlay FILE       write the first photo on the program's 800 x 700 frame\n"
           "                       with the fitted model's band edges over it (PNG)\n"
           "  --help               this list\n"
           "  --version            the program's version\n";
}

namespace {

double number(const std::vector<std::string>& args, std::size_t& i) {
    const std::string& option = args[i];
    const std::string& text = optionValue(args, i);
    double value = 0;
    if (!tryParseCellFloat(text, kDecimalSeparator, value) || !std::isfinite(value))
        throw std::invalid_argument(option + " takes a number, not '" + text + "'");
    return value;
}

}  // namespace

FitOptions parseFitOptions(const std::vector<std::string>& args) {
    FitOptions o;
    FitMirror& mirror = o.request.mirror;
    bool diameter = false, radius = false, lines = false, inside = false, outside = false;
    std::optional<double> zoneStart;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--diameter") mirror.diameter = number(args, i), diameter = true;
        else if (a == "--radius") mirror.radius = number(args, i), radius = true;
        else if (a == "--lines") mirror.linesPerMm = number(args, i), lines = true;
        else if (a == "--wavelength") mirror.wavelength = number(args, i);
        else if (a == "--inside") inside = true;
        else if (a == "--outside") outside = true;
        else if (a == "--zone") {
            const std::string& t = optionValue(args, i);
            if (t == "none") o.request.zone.kind = ZoneKind::None;
            else if (t == "edge") o.request.zone.kind = ZoneKind::Edge;
            else if (t == "centre" || t == "center") o.request.zone.kind = ZoneKind::Centre;
            else throw std::invalid_argument("--zone takes none, edge or centre, not '" + t + "'");
        } else if (a == "--zone-start") zoneStart = number(args, i);
        else if (a == "--source") {
            const std::string& t = optionValue(args, i);
            if (t == "fixed") mirror.sourceMoves = false;
            else if (t == "moving") mirror.sourceMoves = true;
            else throw std::invalid_argument("--source takes fixed or moving, not '" + t + "'");
        } else if (a == "--exact") mirror.exact = true;
        else if (a == "--second") o.secondPhoto = fileOptionValue(args, i);
        else if (a == "--separation") o.separation = number(args, i);
        else if (a == "--json") o.json = true;
        else if (a == "--overlay") o.overlay = fileOptionValue(args, i);
        else if (a == "--help" || a == "-h") o.help = true;
        else if (a == "--version") o.version = true;
        else if (!a.empty() && a[0] == '-') throw std::invalid_argument("unknown option '" + a + "'");
        else {
            if (!o.photo.empty()) throw std::invalid_argument("one photo only; a second one goes with --second");
            if (!isFaithfulFileName(a))
                throw FileNameError("the file name '" + printableFileName(a) +
                                    "' is not valid UTF-8; rename the file or give a link to it");
            o.photo = a;
        }
    }
    if (o.help || o.version) return o;
    if (o.photo.empty()) throw std::invalid_argument("no photo given");
    if (!diameter || !radius || !lines)
        throw std::invalid_argument("the mirror needs --diameter, --radius and --lines");
    if (!(mirror.diameter > 0) || !(mirror.radius > 0) || !(mirror.linesPerMm > 0))
        throw std::invalid_argument("--diameter, --radius and --lines take values above 0");
    if (!(mirror.radius > mirror.diameter / 2))
        throw std::invalid_argument("--radius must exceed half the diameter");
    if (!(mirror.wavelength > 0)) throw std::invalid_argument("--wavelength takes a value above 0");
    if (inside && outside) throw std::invalid_argument("give --inside or --outside, not both");
    o.request.side = inside ? Side::Inside : outside ? Side::Outside : Side::Unknown;
    if (o.request.zone.kind == ZoneKind::None && zoneStart)
        throw std::invalid_argument("--zone-start needs --zone edge or --zone centre");
    if (o.request.zone.kind != ZoneKind::None) {
        o.request.zone.start = zoneStart.value_or(o.request.zone.kind == ZoneKind::Edge ? 0.8 : 0.3);
        if (!(o.request.zone.start >= 0.1 && o.request.zone.start <= 0.95))
            throw std::invalid_argument("--zone-start takes a fraction of the radius from 0.1 to 0.95");
    }
    if (o.secondPhoto.empty() != !o.separation)
        throw std::invalid_argument("--second and --separation go together");
    if (o.separation && *o.separation == 0)
        throw std::invalid_argument("--separation takes a distance other than 0 mm");
    return o;
}

}  // namespace sg
