#pragma once

#include "engine/serverfeatures.h"

#include <QByteArray>
#include <QList>

// What one FEAT reply says: the features, and the facts an MLSD line can carry (lower case, as
// "unix.mode"), those the server sends now marked in `mlstSelected`.
struct FeaturesReply {
    ServerFeatures features;
    QList<QByteArray> mlstFacts;
    QList<QByteArray> mlstSelected;
    // The reply was no feature list: the server is taken as offering nothing.
    bool malformed = false;
};

// The lines of a FEAT reply as received (first and last included, without CR LF). A reply whose
// code is not 211, or with a line that is no feature, offers nothing; a 211 reply of one line
// offers nothing but was answered.
[[nodiscard]] FeaturesReply ParseFeaturesReply(const QList<QByteArray> &lines);

// At most this many hash algorithms are kept, each at most this long: the list comes from outside.
inline constexpr qsizetype maxHashAlgorithms = 16;
inline constexpr qsizetype maxHashNameLength = 32;
