// The per-site settings file beside the site list. Any bytes load: one entry per site, each a
// valid choice; the file written for what was loaded loads the same again and is written the same.
#include "fuzzcheck.h"
#include "sites/sitefield.h"
#include "sites/sitesettingsfile.h"

namespace
{

// A small site list whose names the inputs can reach: two folders, duplicate names included.
SiteList sampleList()
{
    SiteList list;
    list.folders = {SiteFolder::make(0), SiteFolder::make(1)};
    list.folders[1].setName(QStringLiteral("Work"));
    for (auto [folder, name] : {std::pair{0, "FTP site"}, std::pair{0, "FTP site"}, std::pair{1, "a"},
                                std::pair{1, "b%c"}, std::pair{7, "lost"}}) {
        SiteRecord site = SiteRecord::make(folder);
        sitefield::setText(site.siteName, QString::fromUtf8(name));
        list.sites.push_back(site);
    }
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    static const SiteList sample = sampleList();
    SiteList list = sample;
    const int skipped = readSiteSettings(bytes, list);
    FUZZ_CHECK(skipped >= 0 && skipped <= fuzzcheck::lineCount(bytes) + 1);
    FUZZ_CHECK(list.settings.size() == list.sites.size());
    for (const SiteSettings &settings : list.settings)
        FUZZ_CHECK(int(settings.encryption) >= int(Encryption::Plain) &&
                   int(settings.encryption) <= int(Encryption::Implicit));

    const QByteArray saved = siteSettingsBytes(list);
    SiteList again = sample;
    FUZZ_CHECK(readSiteSettings(saved, again) == 0);
    FUZZ_CHECK(again.settings == list.settings);
    FUZZ_CHECK(siteSettingsBytes(again) == saved);
    return 0;
}
