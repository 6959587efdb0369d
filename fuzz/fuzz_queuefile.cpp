// The transfer queue's file as the queue window loads it at start-up. Any bytes give at most the
// records they hold, each within its fields; what was read saves into the same bytes and loads
// into the same items.
//
// Read and written in memory through the loader's own decode and encode; the file functions
// (temporary file, backup, rename) run for one input in 64, chosen by the input's bytes so that a
// finding reproduces.
#include "fuzzcheck.h"
#include "session/queuefile.h"

#include <QBuffer>

namespace
{

queuefile::Decoded decodeBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        std::abort();
    return queuefile::decode(buffer);
}

void checkItem(const QueueItem &item)
{
    FUZZ_CHECK(item.name.size() <= queuefile::pathWidth && !item.name.contains('\0'));
    FUZZ_CHECK(item.destination.size() <= queuefile::pathWidth && !item.destination.contains('\0'));
    FUZZ_CHECK(item.sizeText.size() <= queuefile::sizeWidth && !item.sizeText.contains('\0'));
    FUZZ_CHECK(!item.isFolder || item.sizeText.isEmpty());
    const int parameter = item.itemParameter();
    FUZZ_CHECK(QueueItem::fromParameter(parameter).isFolder == item.isFolder);
    FUZZ_CHECK(QueueItem::fromParameter(parameter).direction == item.direction);
}

// The program folder's save and load give what encode and decode gave.
void checkFiles(const std::vector<QueueItem> &items, const QByteArray &encoded)
{
    static const QString folder = fuzzcheck::scratchFolder() + QLatin1Char('/');
    const QString name = QString::fromLatin1(queuefile::autosaveName);
    const queuefile::SaveResult saved = queuefile::save(name, items, queuefile::Backup::Rotate, folder);
    if (items.empty()) {
        FUZZ_CHECK(saved.status == queuefile::SaveStatus::NothingToSave);
        FUZZ_CHECK(!queuefile::load(name, folder).opened);
        return;
    }
    FUZZ_CHECK(saved.status == queuefile::SaveStatus::Saved && saved.sizesDropped.empty());
    const queuefile::LoadResult loaded = queuefile::load(name, folder);
    FUZZ_CHECK(loaded.opened && loaded.decoded.complete());
    FUZZ_CHECK(loaded.decoded.items == items);
    FUZZ_CHECK(queuefile::encode(loaded.decoded.items) == encoded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const queuefile::Decoded decoded = decodeBytes(bytes);

    FUZZ_CHECK(decoded.headerComplete == (bytes.size() >= queuefile::headerSize));
    // Memory follows the records present, never the count the header claims.
    const qsizetype present = std::max<qsizetype>(0, bytes.size() - queuefile::headerSize) / queuefile::recordSize;
    FUZZ_CHECK(qsizetype(decoded.items.size()) <= present);
    FUZZ_CHECK(decoded.items.size() <= decoded.count);
    FUZZ_CHECK(decoded.complete() ==
               (decoded.headerComplete && qsizetype(decoded.count) <= present));
    for (const QueueItem &item : decoded.items)
        checkItem(item);

    // What was read writes back byte for byte where it came from, and loads as the same items.
    std::vector<QByteArray> dropped;
    const QByteArray encoded = queuefile::encode(decoded.items, &dropped);
    FUZZ_CHECK(dropped.empty());
    FUZZ_CHECK(encoded.size() == queuefile::headerSize + queuefile::recordSize * qsizetype(decoded.items.size()));
    const queuefile::Decoded again = decodeBytes(encoded);
    FUZZ_CHECK(again.complete());
    FUZZ_CHECK(again.items == decoded.items);
    FUZZ_CHECK(queuefile::encode(again.items) == encoded);

    if (fuzzcheck::hash(data, size) % 64 == 0)
        checkFiles(decoded.items, encoded);
    return 0;
}
