// The PWD reply parser and the directory command lines built from a path.
#include "engine/dircommands.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool trailingSlash = data[0] & 1;
    const QByteArray reply(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    const std::optional<QByteArray> directory = ParseWorkingDirectory(reply);
    const qsizetype open = reply.indexOf('"');
    // A quoted path is always found; doubled quotes stand for one, so it is never longer than the
    // reply and never ends in a lone quote of its own.
    if (open >= 0)
        FUZZ_CHECK(directory.has_value());
    if (directory)
        FUZZ_CHECK(directory->size() <= reply.size());

    const QByteArray command = DirectoryCommandText("CWD", reply, trailingSlash);
    FUZZ_CHECK(command.startsWith("CWD "));
    if (!trailingSlash) {
        FUZZ_CHECK(command.sliced(4) == reply);
    } else {
        FUZZ_CHECK(!command.contains("//"));
        FUZZ_CHECK(command.endsWith('/'));
        FUZZ_CHECK(command.size() <= reply.size() + 5);
        // Only slashes go: the path with its runs of "/" made single stays whole.
        QByteArray expected;
        for (char c : "CWD " + reply + '/')
            if (c != '/' || !expected.endsWith('/'))
                expected += c;
        FUZZ_CHECK(command == expected);
    }
    return 0;
}
