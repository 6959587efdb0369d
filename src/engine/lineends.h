#pragma once

#include <QtGlobal>

// Type A moves text in the network form of RFC 959: every line ends in CR LF. The local form on
// this system ends lines in LF. The two conversions are exact inverses, so that a text file
// (even one that holds CR LF itself) comes back from a round trip byte for byte.

// Network text to local text: each CR LF becomes LF; a lone CR stays. A CR at the end of a block
// may belong to an LF at the start of the next one: it is held in `pendingCr` until that block
// arrives (FlushNetworkText writes it when the data ends). `out` has room for `length` + 1 bytes.
// Returns the bytes written to `out`.
[[nodiscard]] qint64 DecodeNetworkText(const char *in, qint64 length, char *out, bool &pendingCr);
// The CR held back at the end of the data, if any: 1 and a CR in `out`, else 0.
[[nodiscard]] qint64 FlushNetworkText(char *out, bool &pendingCr);

// Local text to network text: each LF becomes CR LF. `out` has room for 2 x `length` bytes.
[[nodiscard]] qint64 EncodeNetworkText(const char *in, qint64 length, char *out);
