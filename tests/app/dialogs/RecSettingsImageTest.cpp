// The settings dialog over a recorder object on an image file: what a Store
// leaves in the image header.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>

#include "core/links/ConnectType.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecInterface.h"
#include "core/recorder/Recorder.h"
#include "core/settings/RecorderSettingsHeader.h"
#include "tests/app/dialogs/RecSettingsDialogFixture.h"
#include "tests/support/ImageBuilder.h"
#include "tests/support/ParamName.h"
#include "widgets/MySpinEdit.h"

namespace {

namespace sh = settings_header;
using THeader = std::array<std::uint8_t, sh::kHeaderSize>;
using TPassword7 = std::array<std::uint8_t, 7>;

struct RecorderDeleter {
    void operator()(TCustomRecorder* recorder) const { DestroyRecorder(recorder); }
};

TPassword7 First7(const TPasswordBytes& bytes)
{
    TPassword7 seven;
    std::copy_n(bytes.begin(), 7, seven.begin());
    return seven;
}

}  // namespace

class RecSettingsImageTest : public RecSettingsDialogFixture {
protected:
    void TearDown() override
    {
        if (dialog)
            dialog->SetModel(nullptr);
        m_model.reset();
        m_recorder.reset();
        RecSettingsDialogFixture::TearDown();
    }

    // An image whose header holds the settings, connected and read.
    void Connect(const TRecorderSettings& settings, const QString& password = {})
    {
        THeader header;
        header.fill(0xFF);
        SettingsToImageHeader(settings, header.data());
        ImageBuilder image;
        image.Geometry(512, 16, 4).Blocks(8).FirstDataBlock(2).Firmware(12, 3).SerialNumber(4200000001u);
        image.Password(First7(settings.Password));
        for (std::size_t at = sh::kProfiles; at < sh::kAon + TRecorderSettings::kAonSize; ++at)
            image.HeaderByte(at, header[at]);
        image.HeaderByte(sh::kCurrentProfile, settings.CurrentProfile);
        m_path = File("recorder.qdm");
        image.Write(m_path);

        m_recorder.reset(CreateRecorder(ctImageFile));
        m_recorder->SetImageFile(QString::fromStdString(m_path));
        ASSERT_TRUE(m_recorder->CheckConnection());
        if (!password.isEmpty()) {
            ASSERT_TRUE(m_recorder->CheckPassword(password));
        }
        ASSERT_TRUE(m_recorder->CheckConnection());
        m_recorder->RefreshContent();
        Object().WaitForJob();
        ASSERT_EQ(Object().LastJobOutcome(), TJobOutcome::Completed);
        m_model = MakeRecorderSettingsModel(*m_recorder);
        dialog->SetModel(m_model.get());
    }

    TRecorder& Object() { return dynamic_cast<TRecorder&>(*m_recorder); }

    THeader HeaderOnDisk() const
    {
        QFile file(QString::fromStdString(m_path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.read(sh::kHeaderSize);
        THeader header{};
        std::copy(bytes.begin(), bytes.end(), header.begin());
        return header;
    }

    TPassword7 PasswordOnDisk() const
    {
        const THeader header = HeaderOnDisk();
        TPassword7 seven;
        std::copy_n(header.begin() + sh::kPassword, 7, seven.begin());
        return seven;
    }

    std::unique_ptr<TCustomRecorder, RecorderDeleter> m_recorder;
    std::unique_ptr<TRecorderSettingsModel> m_model;
    std::string m_path;
};

TEST_F(RecSettingsImageTest, OpeningAndStoringChangesNoByte)
{
    TRecorderSettings settings = RealisticSettings();
    settings.Vas.X1 = 95;  // -3 dB, which whole decibels would store as 90
    Connect(settings);
    const THeader before = HeaderOnDisk();
    dialog->actStoreExecute();
    // The image link copies the current-profile frame over the first bytes
    // (the profile itself in byte 4), and the CRC covers them.
    const THeader after = HeaderOnDisk();
    EXPECT_EQ(after[sh::kCurrentProfile], before[sh::kCurrentProfile]);
    constexpr std::size_t kFrameCopy = 7;
    EXPECT_TRUE(std::equal(before.begin() + kFrameCopy, before.begin() + 0x1FE, after.begin() + kFrameCopy));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(RecSettingsImageTest, AnUnknownCompressionIsStoredAsNone)
{
    Connect(RealisticSettings());
    // What the read does not normalise: a kind the dialog does not know.
    Object().Settings().Profiles[2].Compress = 5;
    Object().Settings().Profiles[2].CompressParam = 3;
    dialog->RestoreControls();
    EXPECT_TRUE(W<QRadioButton>("rbNoCompress")->isChecked());
    dialog->actStoreExecute();
    const THeader header = HeaderOnDisk();
    const std::size_t profile = sh::kProfiles + 2 * sh::kProfileStride;
    EXPECT_EQ(header[profile + 1], 0) << "kind";
    EXPECT_EQ(header[profile + 2], 0) << "parameter";
}

TEST_F(RecSettingsImageTest, TheProfileTabShownAtStoreBecomesTheActiveOne)
{
    Connect(RealisticSettings());
    auto* tabs = W<QTabBar>("tcRecSet");
    tabs->setCurrentIndex(1);
    W<TMySpinEdit>("rxseCycleLen")->SetValue(40);
    tabs->setCurrentIndex(4);
    W<QRadioButton>("rbSR16000")->setChecked(true);
    dialog->actStoreExecute();
    const THeader header = HeaderOnDisk();
    EXPECT_EQ(header[sh::kCurrentProfile], 4);
    EXPECT_EQ(header[sh::kProfiles + 1 * sh::kProfileStride + 5], 40);
    EXPECT_EQ(header[sh::kProfiles + 4 * sh::kProfileStride], 0) << "rate code of 16000 Hz";
    EXPECT_EQ(Object().Settings().CurrentProfile, 4);
}

// The password edit against what the header keeps: a recorder with or
// without a password; the edit kept, emptied or given a new text; the
// confirmation the same, different or cancelled.
namespace {

enum class TEdit { Keep, Empty, New };
enum class TConfirm { Same, Different, Cancel };

struct PasswordCase {
    bool hasPassword;
    TEdit edit;
    TConfirm confirm;
    bool asked;            // the confirmation is shown
    const char* expected;  // the password afterwards ("" none)
    const char* message;   // the message shown, if any
};

void PrintTo(const PasswordCase& c, std::ostream* os)
{
    static const char* edits[] = {"Keep", "Empty", "New"};
    static const char* confirms[] = {"Same", "Different", "Cancel"};
    *os << (c.hasPassword ? "WithPassword_" : "NoPassword_") << edits[int(c.edit)] << "_" << confirms[int(c.confirm)];
}

const char* const kNotEqual = "Values are not equal. Password not changed.";
const char* const kNotChanged = "Password not changed.";

}  // namespace

class PasswordMatrixTest : public RecSettingsImageTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(PasswordMatrixTest, StoresWhatWasConfirmed)
{
    const PasswordCase c = GetParam();
    const QString old = QStringLiteral("ab");
    const QString typed = QStringLiteral("x\u00e91");  // non-ASCII: the login sends it as UTF-8
    TRecorderSettings settings = RealisticSettings();
    settings.Password = c.hasPassword ? PasswordBytes(old) : NoPasswordBytes;
    Connect(settings, c.hasPassword ? old : QString());

    auto* edit = W<QLineEdit>("edPassword");
    if (c.edit != TEdit::Keep) {
        const QString text = c.edit == TEdit::New ? typed : QString();
        edit->setText(text);
        edit->setModified(true);
        const QString again = c.confirm == TConfirm::Different ? QStringLiteral("other") : text;
        AnswerPasswords({c.confirm == TConfirm::Cancel ? std::nullopt : std::optional<QString>(again)});
    }
    dialog->actStoreExecute();

    EXPECT_EQ(PasswordPrompts.size(), c.asked ? 1u : 0u);
    if (c.asked) {
        EXPECT_EQ(PasswordPrompts[0],
                  QStringLiteral("You have changed recorder password.\r\nReenter new password to apply it:"));
    }
    const QString expected = QString::fromUtf8(c.expected);
    EXPECT_EQ(PasswordOnDisk(), First7(PasswordBytes(expected == QLatin1String("new") ? typed : expected)));
    if (c.message)
        EXPECT_EQ(boxes.Texts(), std::vector<QString>{QString::fromUtf8(c.message)});
    else
        EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(edit->text(), c.expected[0] ? QStringLiteral("       ") : QString());
    EXPECT_FALSE(dialog->PasswordChanged());

    // The login takes what was set here.
    if (expected == QLatin1String("new")) {
        ASSERT_TRUE(m_recorder->CheckConnection());
        EXPECT_TRUE(m_recorder->CheckPassword(typed));
    }
}

INSTANTIATE_TEST_SUITE_P(RecSettings, PasswordMatrixTest,
                         ::testing::Values(PasswordCase{false, TEdit::Keep, TConfirm::Same, false, "", nullptr},
                                           PasswordCase{false, TEdit::Empty, TConfirm::Same, false, "", nullptr},
                                           PasswordCase{false, TEdit::New, TConfirm::Same, true, "new", nullptr},
                                           PasswordCase{false, TEdit::New, TConfirm::Different, true, "", kNotEqual},
                                           PasswordCase{false, TEdit::New, TConfirm::Cancel, true, "", kNotChanged},
                                           PasswordCase{true, TEdit::Keep, TConfirm::Same, false, "ab", nullptr},
                                           PasswordCase{true, TEdit::Empty, TConfirm::Same, true, "", nullptr},
                                           PasswordCase{true, TEdit::Empty, TConfirm::Different, true, "ab", kNotEqual},
                                           PasswordCase{true, TEdit::Empty, TConfirm::Cancel, true, "ab", kNotChanged},
                                           PasswordCase{true, TEdit::New, TConfirm::Same, true, "new", nullptr},
                                           PasswordCase{true, TEdit::New, TConfirm::Different, true, "ab", kNotEqual},
                                           PasswordCase{true, TEdit::New, TConfirm::Cancel, true, "ab", kNotChanged}),
                         PrintedParamName());
