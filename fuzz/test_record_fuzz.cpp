// SPDX-License-Identifier: GPL-3.0-or-later
// The test-file record reader: any bytes either are refused with a
// TestFileError or give a record with finite numbers that writes back to
// the same record; and every note's bytes come back from the characters
// they decode to.
#include "fuzz/fuzz_check.h"
#include "testfile/test_record.h"

#include <cmath>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sg::SetupRecord record;
    try {
        record = sg::decodeTestRecord(std::span(data, size));
    } catch (const sg::TestFileError&) {
        return 0;
    }
    FUZZ_CHECK(size >= sg::kTestRecordSize);
    for (double v : {record.linesPerMm, record.axialOffset, record.range, record.conicConstant, record.wavelength,
                     record.mirrorDiameter, record.radiusOfCurvature, record.zoneHeight})
        FUZZ_CHECK(std::isfinite(v));
    const sg::TestRecordBytes again = sg::encodeTestRecord(record);
    FUZZ_CHECK(sg::decodeTestRecord(again) == record);
    for (const std::string& note : record.notes) {
        FUZZ_CHECK(note.size() <= 255);
        FUZZ_CHECK(sg::encodeNote(sg::decodeNote(note)) == note);
    }
    return 0;
}
