#include "kdx/SectorScan.h"

namespace kdx {

RawVerdict JudgeRawImage(std::uint64_t length, std::span<const std::uint8_t> start)
{
    if (length == 0) return RawVerdict::Empty;
    if (length % kSectorSize != 0) return RawVerdict::LengthNotMultiple;
    if (!HasSyncPattern(start)) return RawVerdict::NoSync;
    return RawVerdict::Raw;
}

std::string NotRawMessage(RawVerdict verdict)
{
    const char* reason = nullptr;
    switch (verdict) {
    case RawVerdict::Raw: return {};
    case RawVerdict::Empty: reason = "the image is empty"; break;
    case RawVerdict::LengthNotMultiple: reason = "its length is not a multiple of 2352 bytes"; break;
    case RawVerdict::NoSync: reason = "its first sector does not start with the sync pattern"; break;
    case RawVerdict::Unreadable: reason = "it cannot be read"; break;
    }
    return std::string("Not a raw image of 2352-byte sectors (") + reason + ")";
}

void CountSector(SectorTally& tally, std::uint64_t lba, const SectorCheck& check)
{
    ++tally.sectors;
    switch (check.kind) {
    case SectorKind::Mode1: ++tally.mode1; break;
    case SectorKind::Mode2Form1: ++tally.mode2Form1; break;
    case SectorKind::Mode2Form2: ++tally.mode2Form2; break;
    case SectorKind::Other: ++tally.other; break;
    }
    if (check.Right()) return;
    ++tally.wrong;
    tally.wrongEdc += check.edcRight ? 0 : 1;
    tally.wrongEcc += check.eccRight ? 0 : 1;
    if (tally.listed < SectorTally::kListed) tally.firstWrong[tally.listed++] = lba;
}

}  // namespace kdx
