// Addresses typed into the quick-connect bar or handed over by the desktop. Any text is either
// refused with a message or gives a login with a host, a port in range and no control character;
// the text kept for it in the recent list gives the same login back, without the password.
#include "fuzzcheck.h"
#include "session/connecturl.h"

namespace
{

bool clean(const QString &text)
{
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const ConnectAddress parsed = parseConnectAddress(text);
    if (!parsed.ok()) {
        FUZZ_CHECK(parsed.error.endsWith(QLatin1Char('\n')));
        return 0;
    }
    const LoginFields &login = parsed.login;
    FUZZ_CHECK(!login.serverHost.trimmed().isEmpty());
    FUZZ_CHECK(login.port >= 1 && login.port <= 65535);
    for (const QString *part : {&login.serverHost, &login.userName, &login.password, &login.initialRemotePath})
        FUZZ_CHECK(clean(*part));

    const QString kept = connectAddressText(login);
    const ConnectAddress again = parseConnectAddress(kept);
    LoginFields expected = login;
    expected.password.clear();
    expected.anonymousLogin = again.login.anonymousLogin;
    FUZZ_CHECK(again.ok() || kept.size() > connectAddressMaximum);
    if (again.ok())
        FUZZ_CHECK(again.login == expected);
    return 0;
}
