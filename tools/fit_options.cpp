// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/fit_options.h"

namespace sg {

std::string fitUsage() {
    return "Usage: shadowgram-fit PHOTO --diameter MM --radius MM --lines N [options]\n"
           "Fits the simulated grating test to a photo of it (JPEG or PNG): the grating's\n"
           "offset from the centre of curvature, the conic constant and, where you place\n"
           "one, a zone, each with its uncertainty. The offset is the --axial value at\n"
           "which shadowgram-render draws the fitted picture: positive outside the centre\n"
           "of curvature (farther from the mirror), negative inside.\n"
           "How to photograph the test for the fit (a visible rim, the camera on the axis,\n"
           "focused on the mirror): the help \"Help on Photos of the Test and their Fit\",\n"
           "the \"?\" beside \"Open Photo...\" in the main window.\n"
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
           "  --wavelength UM      the light's wavelength, in which zone heights are counted\n"
           "                       too (default 0.55; a red LED is about 0.63)\n"
           "  --spectrum mono|white\n"
           "                       light of that one wavelength (default) or white light\n"
           "  --source-width MM    the tester's source across the lines: 0 a point (default),\n"
           "                       else a slit of that width\n"
           "  --lit-grating        the source is the grating itself lit from behind, which\n"
           "                       acts as a slit of half the grating's period\n"
           "  --model waves|rays   fit with the diffraction that shapes a photo's bands\n"
           "                       (waves, default), or by rays alone, for a picture the\n"
           "                       program's ray passes drew\n"
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

FitOptions parseFitOptions(const std::vector<std::string>& arguments) {
    FitOptions o;
    FitMirror& mirror = o.request.mirror;
    StandardOptions standard;
    bool diameter = false, radius = false, lines = false, inside = false, outside = false, litGrating = false;
    std::optional<double> sourceWidth;
    mirror.model = FitModel::Waves;
    std::optional<double> zoneStart;
    CommandLine args(arguments);
    while (args.next()) {
        if (!args.isOption()) {
            if (!o.photo.empty()) throw UsageError("one photo only; a second one goes with --second");
            checkFileName(args.argument());
            o.photo = args.argument();
        } else if (args.is("--diameter")) mirror.diameter = args.number(), diameter = true;
        else if (args.is("--radius")) mirror.radius = args.number(), radius = true;
        else if (args.is("--lines")) mirror.linesPerMm = args.number(), lines = true;
        else if (args.is("--wavelength")) mirror.wavelength = args.number();
        else if (args.is("--spectrum")) mirror.spectrum = args.choice({"mono", "white"}) == 1 ? Spectrum::White : Spectrum::Mono;
        else if (args.is("--source-width")) sourceWidth = args.number();
        else if (args.is("--lit-grating")) litGrating = true;
        else if (args.is("--model")) mirror.model = args.choice({"waves", "rays"}) == 1 ? FitModel::Rays : FitModel::Waves;
        else if (args.is("--inside")) inside = true;
        else if (args.is("--outside")) outside = true;
        else if (args.is("--zone")) {
            constexpr ZoneKind kKinds[] = {ZoneKind::None, ZoneKind::Edge, ZoneKind::Centre};
            o.request.zone.kind = kKinds[args.choice({"none", "edge", "centre|center"})];
        } else if (args.is("--zone-start")) zoneStart = args.number();
        else if (args.is("--source")) mirror.sourceMoves = args.choice({"fixed", "moving"}) == 1;
        else if (args.is("--exact")) mirror.exact = true;
        else if (args.is("--second")) o.secondPhoto = args.fileName();
        else if (args.is("--separation")) o.separation = args.number();
        else if (args.is("--json")) o.json = true;
        else if (args.is("--overlay")) o.overlay = args.fileName();
        else if (!args.takeStandard(standard)) args.refuse();
    }
    o.help = standard.help;
    o.version = standard.version;
    if (o.help || o.version) return o;
    if (o.photo.empty()) throw UsageError("no photo given");
    if (!diameter || !radius || !lines)
        throw UsageError("the mirror needs --diameter, --radius and --lines");
    if (inside && outside) throw UsageError("give --inside or --outside, not both");
    if (litGrating && sourceWidth) throw UsageError("give --source-width or --lit-grating, not both");
    if (litGrating) mirror.source = LightSource::Grating;
    else if (sourceWidth && *sourceWidth != 0) mirror.source = LightSource::Slit, mirror.slitWidth = *sourceWidth;
    o.request.side = inside ? Side::Inside : outside ? Side::Outside : Side::Unknown;
    if (o.request.zone.kind == ZoneKind::None && zoneStart)
        throw UsageError("--zone-start needs --zone edge or --zone centre");
    if (o.request.zone.kind != ZoneKind::None)
        o.request.zone.start = zoneStart.value_or(o.request.zone.kind == ZoneKind::Edge ? 0.8 : 0.3);
    if (o.secondPhoto.empty() != !o.separation)
        throw UsageError("--second and --separation go together");
    // Every value, and what the model derives from them, as the fit takes them.
    const FitValueNames names{"--diameter",   "--radius",     "--lines",       "--wavelength",
                              "--zone-start", "--separation", "--source-width"};
    if (const std::optional<std::string> fault = requestFault(o.request, o.separation, names))
        throw UsageError(*fault);
    return o;
}

}  // namespace sg
