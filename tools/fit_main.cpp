// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-fit: the simulated grating test fitted to a photo of it; the
// offset, the conic and a zone with their uncertainties, as text or JSON,
// and the photo on the program's frame with the fitted edges over it.

#include "tools/fit_options.h"
#include "fit/fit_report.h"
#include "photo/photo_file.h"
#include "fileio/record_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>

#include <chrono>
#include <iostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kName = "shadowgram-fit";

// Exit statuses: done, failed while working (no mirror, no bands, no fit),
// bad usage or input.
constexpr int kDone = 0, kFailed = 1, kBadInput = 2;

int failure(const std::string& message, int status) {
    std::cerr << kName << ": " << message << '\n';
    return status;
}

int statusOf(sg::PhotoFailure kind) {
    switch (kind) {
    case sg::PhotoFailure::Unusable:
    case sg::PhotoFailure::BadInput: return kBadInput;
    case sg::PhotoFailure::NoMirror:
    case sg::PhotoFailure::NoBands:
    case sg::PhotoFailure::NoFit:
    case sg::PhotoFailure::Cancelled: break;
    }
    return kFailed;
}

// The first photo on the frame, the fitted edges and the rim drawn over it
// in green, as PNG bytes.
QByteArray overlayPng(const sg::LoadedPhoto& photo, const sg::PhotoAlignment& alignment, const sg::FitResult& result) {
    const sg::RgbImage frame = sg::resampleToFrame(photo.view(), alignment.mapping);
    QImage image(frame.width, frame.height, QImage::Format_RGB888);
    for (int y = 0; y < frame.height; ++y)
        std::copy_n(frame.rgb.data() + std::size_t(y) * std::size_t(frame.width) * 3, frame.width * 3, image.scanLine(y));
    const std::vector<std::uint8_t> mask = sg::fittedEdgeMask(result);
    for (int y = 0; y < frame.height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < frame.width; ++x)
            if (mask[std::size_t(y) * std::size_t(frame.width) + std::size_t(x)]) {
                row[3 * x] = 0;
                row[3 * x + 1] = 255;
                row[3 * x + 2] = 0;
            }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
    return png;
}

// Standard output and error, when the program starts with them closed, are
// held by /dev/null opened for reading: no file the program opens takes
// their place, and a write to them fails instead of going elsewhere.
void holdClosedStreams() {
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1) continue;
        const int held = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

// Writes `text` to standard output; false when it was not all written (a
// full device, a closed stream).
bool print(const std::string& text) {
    std::cout << text;
    std::cout.flush();
    return static_cast<bool>(std::cout);
}

int printed(const std::string& text) {
    return print(text) ? kDone : failure("cannot write to standard output", kFailed);
}

// True when both names lead to one file (by another path or through a link).
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

int main(int argc, char** argv) {
    holdClosedStreams();
    const auto started = std::chrono::steady_clock::now();
    sg::FitOptions options;
    try {
        options = sg::parseFitOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const sg::FileNameError& e) {
        return failure(e.what(), kBadInput);
    } catch (const std::invalid_argument& e) {
        return sg::reportUsageError(kName, e.what());
    }
    if (options.help) return printed(sg::fitUsage());
    if (options.version) return printed(std::string(kName) + " " + SHADOWGRAM_VERSION + "\n");
    // The overlay never overwrites a photo it is made from.
    for (const std::string& photo : {options.photo, options.secondPhoto})
        if (!options.overlay.empty() && !photo.empty() && (options.overlay == photo || sameFile(options.overlay, photo)))
            return failure("--overlay names the photo \"" + photo + "\" itself, which it would overwrite",
                           kBadInput);
    // The image plug-ins are found through the application object.
    QCoreApplication app(argc, argv);

    sg::LoadedPhoto photos[2];
    sg::PhotoAlignment alignments[2];
    const std::string names[2] = {options.photo, options.secondPhoto};
    const int count = options.secondPhoto.empty() ? 1 : 2;
    for (int i = 0; i < count; ++i) {
        try {
            photos[i] = sg::loadPhoto(names[i]);
        } catch (const sg::PhotoFileError& e) {
            return failure("cannot read the photo \"" + names[i] + "\": " + e.what(), kBadInput);
        }
        try {
            alignments[i] = sg::alignPhoto(photos[i].view());
            alignments[i].pixelScale = photos[i].scale;
        } catch (const sg::PhotoError& e) {
            return failure("\"" + names[i] + "\": " + e.what(), statusOf(e.kind()));
        }
    }

    sg::FitResult result;
    try {
        result = count == 1 ? sg::fitPhoto(alignments[0], options.request)
                            : sg::fitPhotoPair(alignments[0], alignments[1], *options.separation, options.request);
    } catch (const sg::PhotoError& e) {
        return failure((count == 1 ? "\"" + names[0] + "\": " : std::string()) + e.what(), statusOf(e.kind()));
    }

    if (!options.overlay.empty()) {
        const QByteArray png = overlayPng(photos[0], alignments[0], result);
        if (png.isEmpty()) return failure("cannot encode the overlay as PNG", kFailed);
        if (const std::optional<QString> reason = sg::saveWholeFile(QString::fromStdString(options.overlay), png))
            return failure("cannot write " + options.overlay + ": " + reason->toStdString(), kFailed);
    }

    // The disks and sizes in the photos' own pixels, whatever scale they were decoded at.
    sg::PhotoAlignment reported[2];
    for (int i = 0; i < count; ++i) {
        const double s = photos[i].scale;
        reported[i] = alignments[i];
        reported[i].photoWidth = photos[i].photoSize.width();
        reported[i].photoHeight = photos[i].photoSize.height();
        reported[i].disk.cx *= s;
        reported[i].disk.cy *= s;
        reported[i].disk.radius *= s;
    }
    sg::FitReportInput report;
    report.photo = names[0];
    report.secondPhoto = names[1];
    report.first = &reported[0];
    report.second = count == 2 ? &reported[1] : nullptr;
    report.separation = options.separation.value_or(0);
    report.result = &result;
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // A figure the fit could not compute is reported missing, and said so here too.
    for (const sg::FitWarning& w : result.warnings)
        if (w.kind == sg::FitWarningKind::NotFinite) std::cerr << kName << ": warning: " << w.message << '\n';
    return printed(options.json ? sg::fitReportJson(report) : sg::fitReportText(report));
}
