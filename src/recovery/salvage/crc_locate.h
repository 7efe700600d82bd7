#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <vector>

// Finding a flipped bit from the CRC-32 alone.
//
// Many flipped bits leave a Deflate stream in step: a copy then reads from a
// slightly different place, or a literal becomes another one, and the member
// inflates to its recorded length, well-formed, with only its CRC-32 wrong.
// Nothing in the text says where. But the CRC-32 of text of a given length is
// linear in its bits, and a changed byte changes every byte copied from it in
// the same way, so what changing any one symbol does to the CRC-32 follows
// from a table built once: the symbols whose change gives exactly the
// recorded CRC-32 are the few places worth trying.

namespace salvage {

// The bits of `compressed` (raw Deflate that inflates to `decoded`, whose
// CRC-32 is not `expectedCrc`) whose flip keeps the stream in step and would
// give text with CRC-32 `expectedCrc`, in stream order; counted from the first
// bit, least significant bit of each byte first. Each is still to be proved
// by inflating the corrected stream. Empty when `decoded` is above
// `maxDecoded`, or when `keepRunning` answers false.
std::vector<int64_t> BitsThatGiveTheCrc(QByteArray compressed, const QByteArray& decoded,
                                        uint32_t expectedCrc, int64_t maxDecoded,
                                        const std::function<bool()>& keepRunning);

}  // namespace salvage
