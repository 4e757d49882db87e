#include "library/RecordingName.h"
#include "library/RecordingLibrary.h"

#include <gtest/gtest.h>

using namespace library;

TEST(RecordingName, ReadsTheKindAndChannelLettersBeforeTheLastDot)
{
    struct Case {
        const char *path;
        char kind;
        char channel;
        bool normal, event, manual;
    };
    const Case cases[] = {
        { "/card/NORMAL/20240307_085327_FN.AVI", 'N', 'F', true, false, false },
        { "/card/EVENT/20240307_085333_rs.avi", 'S', 'R', false, true, false },
        { "/card/PARKING/20240307_091845_FP.PVR", 'P', 'F', false, true, false },
        { "/card/PARKING/20240307_093150_FM.AVI", 'M', 'F', false, true, false },
        { "/card/MANUAL/20240307_085336_FU.AVI", 'U', 'F', false, false, true },
        { "/card/X/20240307_085336_FQ.AVI", 'Q', 'F', false, false, false },
        { "/card/X/A_FN.AVI.BAK", 'I', 'V', false, false, false },
        { "/card/dir.x/NODOT", 0, 0, false, false, false },
        { "/card/X/N.AVI", 'N', 0, true, false, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        const RecordingName name = ParseRecordingName(QString::fromLatin1(c.path));
        EXPECT_EQ(name.kindLetter, c.kind ? QChar(QLatin1Char(c.kind)) : QChar());
        EXPECT_EQ(name.channelLetter, c.channel ? QChar(QLatin1Char(c.channel)) : QChar());
        EXPECT_EQ(name.IsNormal(), c.normal);
        EXPECT_EQ(name.IsEvent(), c.event);
        EXPECT_EQ(name.IsManual(), c.manual);
    }
    EXPECT_EQ(KindText(QLatin1Char('N')), QStringLiteral("상시 녹화"));
    EXPECT_EQ(KindText(QLatin1Char('M')), QStringLiteral("주차 모션"));
    EXPECT_TRUE(KindText(QLatin1Char('Q')).isEmpty());
}

TEST(RecordingName, ExtensionTextsMatchAnywhereInTheNameAndAnEmptyOneMatchesNothing)
{
    const VideoExtensions defaults;
    EXPECT_TRUE(defaults.Matches(QStringLiteral("/c/a_fn.avi")));
    EXPECT_TRUE(defaults.Matches(QStringLiteral("/c/A_FN.AVI.BAK")));
    EXPECT_TRUE(defaults.Matches(QStringLiteral("/c/A_FN.PVR")));
    EXPECT_FALSE(defaults.Matches(QStringLiteral("/c.avi/A_FN.MP4"))); // only the name counts

    // A skin without its second extension text must not turn setup.xml into a recording.
    const VideoExtensions oneText(QStringLiteral(".avi"), QString());
    EXPECT_TRUE(oneText.Matches(QStringLiteral("/c/A_FN.AVI")));
    EXPECT_FALSE(oneText.Matches(QStringLiteral("/c/setup.xml")));
}

TEST(RecordingName, LengthTextIsHoursMinutesSeconds)
{
    EXPECT_EQ(FormatLength(3725), QStringLiteral("01:02:05"));
    EXPECT_EQ(FormatLength(60), QStringLiteral("00:01:00"));
    EXPECT_EQ(FormatLength(0), QStringLiteral("00:00:00"));
}

TEST(RecordingName, CommandLineIsSplitAtItsQuotes)
{
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"/c/a_FN.AVI\" \"/c/b c_FN.AVI\"")),
        QStringList({ "/c/a_FN.AVI", "/c/b c_FN.AVI" }));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"/c/a_FN.AVI\" ")), QStringList({ "/c/a_FN.AVI" }));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("/c/a_RN.AVI")), QStringList({ "/c/a_RN.AVI" }));
    EXPECT_TRUE(SplitCommandLine(QStringLiteral("\"/c/unterminated")).isEmpty());
    // The next path starts three characters after a closing quote, whatever stands there.
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"a\"xx\"b\"")), QStringList({ "a", "" }));
}
