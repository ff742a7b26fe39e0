// The Windows guard: one copy per data folder and session, the folder's
// name compared blind to case, the guard let go when its copy ends.
#include <gtest/gtest.h>

#include <QDir>

#include "app/qt/SingleInstance.h"
#include "base/Text.h"
#include "support/TempDir.h"

namespace pelko::ui {
namespace {

QString Q(const std::filesystem::path& p) {
    return QString::fromStdU16String(p.u16string());
}

TEST(SingleInstanceWindowsTest, OneCopyPerDataFolderWhateverItsCase) {
    test::TempDir dir;
    const auto folder = dir.path() / Utf8Path("J\u00fcrgen \u0141ukasz");
    const auto other = dir.path() / "other";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(other);
    struct Case {
        const char* what;
        QString folder;
        bool claims;
    };
    const Case cases[] = {
        {"another folder", Q(other), true},
        {"the same folder", Q(folder), false},
        {"the same folder, other case", Q(folder).toUpper(), false},
    };
    {
        SingleInstance running(Q(folder));
        ASSERT_TRUE(running.claim()) << running.error().toStdString();
        for (const auto& c : cases) {
            SingleInstance second(c.folder);
            EXPECT_EQ(second.claim(), c.claims) << c.what;
            // No window titled "Pelko" of the running copy here to bring to
            // the front: the second copy says so and ends.
            if (!c.claims) {
                EXPECT_TRUE(second.error().contains(QStringLiteral("shows no window"))) << c.what;
            }
        }
    }
    SingleInstance next(Q(folder));
    EXPECT_TRUE(next.claim()) << "the guard outlived its copy";
}

}  // namespace
}  // namespace pelko::ui
