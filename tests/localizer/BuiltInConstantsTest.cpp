#include <gtest/gtest.h>

#include "localizer/LangConst.h"
#include "localizer/LangConstants.h"
#include "localizer/LangConstsResource.h"
#include "localizer/LanguageManager.h"

namespace {

struct TExpectedConstant {
    const char16_t* name;
    const char16_t* value; // null: a plain text of our own, only required to exist
};

// Every built-in constant, in the resource's (sorted) order, with the texts
// the program's documents quote.
const TExpectedConstant kExpected[] = {
    {u"AccessQuestionStr", u"Access to recorder is protected by password.\r\nEnter password:"},
    {u"AddFileInfoStr", u"Recorder model: %s\r\n    S/N:%s.\r\n    Integerity checking:"},
    {u"AONStr", u"Russian Caller ID"},
    {u"AppNameStr", u"Application"},
    {u"BackslashInNameStr", u"A recorder name cannot hold \"\\\":"},
    {u"BaseLangStr", u"Base language"},
    {u"BatteryStr", nullptr},
    {u"CallerIDStr", u"Caller ID"},
    {u"CallIdentStr", u"Call identifier"},
    {u"CallNameStr", u"Call name"},
    {u"CantCopyFolderStr", nullptr},
    {u"CantCreateStr", u"Can't create (modify) file"},
    {u"CantFindRecorderStr", u"Can't find Recorder. Connect Recorder to PC."},
    {u"CantMoveToTrashStr", u"Can't move to the trash:"},
    {u"CantOpenStr", u"Can't open"},
    {u"ChangesAfterRestartStr", nullptr},
    {u"CIDDisabledStr", u"Dasabled"},
    {u"CircularRecStr", nullptr},
    {u"ClearPwdStr", u"Clear password and erase all recorder content?"},
    {u"CodecGainsStr", u"5\r\n20\r\n"},
    {u"ContainsNonDownloadedStr", nullptr},
    {u"ContentChangedStr", u"The recorder content has changed. Refresh the content and try again."},
    {u"DateTimeStr", u"Date and time"},
    {u"DefFNMaskStr", u"file_[rn]_([yyyy]_[mm]_[dd]-[hh_nn_ss])_[sn].wav"},
    {u"DefFolderStr", u"\\Sounds"},
    {u"DemoImageMovedStr", nullptr},
    {u"DemoModeStr", u"DEMO MODE"},
    {u"DriveNameTooLongStr", u"The name is too long for the flash drive:"},
    {u"DTMFCIDStr", u"DTMF Caller ID"},
    {u"DTMFNumberStr", u"DTMF number"},
    {u"EraseAllQuestionStr", u"Warning! All content of recorder will be erasing . Do you wish to continue?"},
    {u"ErrorLoadProfileStr", nullptr},
    {u"ErrorSaveProfileStr", nullptr},
    {u"ErrorStr", nullptr},
    {u"ExampResStr", u"Example result:"},
    {u"ExceptErrorStr", u"ERROR: %s. Error code %d"},
    {u"ExtDevicesStr", u"Microphone + Remote Control\r\nGPS Receiver\r\n"},
    {u"FileAlreadyExistsStr", u"File already exists:"},
    {u"FileInfoStr", u"File info:\r\n    Data size: %Ld\r\n    Channels: %d\r\n    Sample rate: %d\r\n    Block align: "
                     u"%d\r\n    Length: %.2d:%.2d:%.2d\r\n\r\nAdditional info:\r\n"},
    {u"FlashDriveStr", nullptr},
    {u"FreeMemoryStr", nullptr},
    {u"FSKCIDStr", u"FSK Caller ID"},
    {u"FWUpgradeQuestionStr", nullptr},
    {u"FWVerStr", nullptr},
    {u"HzStr", nullptr},
    {u"ImageFileStr", u"Connect via image file:"},
    {u"ImageReplacedStr", nullptr},
    {u"InCallStr", u"Input call"},
    {u"IncomingCallStr", u"In"},
    {u"InformationStr", nullptr},
    {u"IntCheckFailedStr", u"FAILED!"},
    {u"IntCheckPassedStr", u"passed."},
    {u"InvalidFWFileStr", nullptr},
    {u"InvalidProfileFmtStr", u"Error: invalid profile file format."},
    {u"InvalidPwdStr", u"Invalid password."},
    {u"InvalidSerNumStr", nullptr},
    {u"LongWaitingStr", nullptr},
    {u"MinRecordTimeStr", nullptr},
    {u"ModelStr", nullptr},
    {u"NameParamsStr", u"Name parameter"},
    {u"NeedFWUpgradeStr", nullptr},
    {u"NeedSWUpgradeStr", nullptr},
    {u"NewFolderNameStr", u"New Folder"},
    {u"NoAddInfoStr",
     u"File was created (or modified)\r\n    by another program and has\r\n    no additional info.\r\n\r\n"},
    {u"NoRecordNumberStr", u"The recorder has no free record number for"},
    {u"NoRecordSelectedStr", nullptr},
    {u"NotCopiedStr", nullptr},
    {u"NotEnoughDiskSpaceStr", nullptr},
    {u"NotEnoughSpaceLoadPartlyStr", u"Not enough space to locate all file. Save it partly?"},
    {u"NotEnoughSpaceStr", u"Not enough space to locate file"},
    {u"NoTrashStr", nullptr},
    {u"NotRegularFileStr", nullptr},
    {u"NotVerifiedKeptStr", nullptr},
    {u"NotWaveFileStr", u"is not wave file."},
    {u"OutCallStr", u"Output call"},
    {u"OutcomingCallStr", u"Out"},
    {u"PartStr", nullptr},
    {u"PathNotFoundStr", u"Path not found:"},
    {u"PulseNumberStr", u"Pulse number"},
    {u"PwdChangeStr", u"You have changed recorder password.\r\nReenter new password to apply it:"},
    {u"PwdNotChangedStr", u"Password not changed."},
    {u"ReallyEraseSelFilesStr", u"Do you really want to erase selected files?"},
    {u"ReallyEraseSelRecStr", u"Do you really want to erase selected records?"},
    {u"RecFilePrefixStr", u"ZEL4"},
    {u"RecFormatStr", u"This will erase all content of recorder. Do you wish to continue?"},
    {u"RecImageFileFilterStr", u"Recorder image file (*.qdm)|*.qdm"},
    {u"RecMemNotFormatedStr", u"Recorder memory is not formated."},
    {u"RecModelStr", u"Sorv Dare Q3"},
    {u"RecordNonDownloadedStr", u"Record %d is non-downloaded.\r\nErasing of non-downloaded records is disabled."},
    {u"RecordNotRepairedStr", nullptr},
    {u"RecordRepairedStr", nullptr},
    {u"RecoveryBlockElsewhereStr", nullptr},
    {u"RecoveryCopyKeptStr", nullptr},
    {u"RecoveryDamagedStr", nullptr},
    {u"RecoveryFileSetAsideStr", nullptr},
    {u"RecoveryNextBlockGoneStr", nullptr},
    {u"RecoveryNotRegularStr", nullptr},
    {u"RecoveryOtherDataStr", nullptr},
    {u"RecoveryOtherFlashStr", nullptr},
    {u"RecoveryUnreadableStr", nullptr},
    {u"RecoveryWrongSizeStr", nullptr},
    {u"RecProfileFileFilterStr", u"Recorder profiles (*.rpr)|*.rpr"},
    {u"RecTimeStr", nullptr},
    {u"ReplaceFWReqStr", nullptr},
    {u"RestoreDefSetStr", nullptr},
    {u"rsDownloadedStr", u"Downloaded"},
    {u"rsNonDownloadedStr", u"Non-downloaded"},
    {u"rsUploadedStr", u"Uploaded"},
    {u"RusAONStr", u"Russian AON"},
    {u"SelectDefFolderStr", u"Select default folder:"},
    {u"SerNumStr", nullptr},
    {u"SoundStr", nullptr},
    {u"SrcCompressTypeStr", u"Source compress type:"},
    {u"StatusDownloadingFileStr", u"Downloading file"},
    {u"StatusDownloadingRecordStr", u"Downloading record"},
    {u"StatusErasingStr", u"Erasing"},
    {u"StatusFormatingStr", u"Formating"},
    {u"StatusIdleStr", nullptr},
    {u"StatusPreparingStr", u"Preparing"},
    {u"StatusRefreshingStr", u"Refreshing"},
    {u"StatusStr", nullptr},
    {u"StatusUploadingFileStr", u"Uploading file"},
    {u"StatusUploadingRecordStr", u"Uploading record"},
    {u"TelNumberStr", u"\u2116"},
    {u"TotalMemoryStr", nullptr},
    {u"TrashItemsQuestionStr", u"Move these %1 items to the trash?"},
    {u"TrashQuestionStr", u"Move \"%1\" to the trash?"},
    {u"UnsuppAudioFmtStr", u"Unsupported audio format."},
    {u"UpgradingErrStr", nullptr},
    {u"UpgradingSuccStr", nullptr},
    {u"UploadCutFileStr", nullptr},
    {u"UploadCutNothingStr", nullptr},
    {u"UploadCutRecordStr", nullptr},
    {u"USB11AdapterStr", nullptr},
    {u"USB11Str", nullptr},
    {u"USB20AdapterStr", u"Connect via USB 2.0 adapter"},
    {u"USB20Str", u"USB 2.0"},
    {u"ValuesNotEqualStr", u"Values are not equal. Password not changed."},
    {u"VersionStr", nullptr},
    {u"WarningStr", nullptr},
};

TEST(BuiltInConstantsTest, TheResourceHoldsEveryNameWithItsText)
{
    const QByteArray resource = BuiltInLangConstsResource();
    ASSERT_GE(resource.size(), 6);
    EXPECT_EQ(resource[0], 3); // version
    EXPECT_EQ(resource[1], 1); // auto-save

    TLangConstants table;
    table.LoadFromStream(resource);
    ASSERT_EQ(table.Count(), static_cast<int>(std::size(kExpected)));
    for (int i = 0; i < table.Count(); ++i) {
        const TExpectedConstant& expected = kExpected[i];
        const TLangConstant& actual = table.At(i);
        EXPECT_EQ(actual.Name, QString::fromUtf16(expected.name)) << "position " << i;
        if (expected.value)
            EXPECT_EQ(actual.Value, QString::fromUtf16(expected.value)) << actual.Name.toStdString();
        else
            EXPECT_FALSE(actual.Value.trimmed().isEmpty()) << actual.Name.toStdString();
        EXPECT_EQ(actual.DefValue, actual.Value);
        EXPECT_EQ(actual.Flags, 0);
    }
}

TEST(BuiltInConstantsTest, LangConstAnswersTheBuiltInTexts)
{
    ResetLangManager();
    EXPECT_EQ(LangConst("RecFilePrefixStr"), "ZEL4");
    EXPECT_EQ(LangConst("recfileprefixstr"), "ZEL4");
    EXPECT_EQ(BuiltInLangConst("AppNameStr"), "Application");
    EXPECT_EQ(LangConst("NoSuchConstantStr"), "NoSuchConstantStr");
    EXPECT_EQ(BuiltInLangConst("NoSuchConstantStr"), "NoSuchConstantStr");
    EXPECT_EQ(LangManager().GetBaseLangID(), 1033);
    EXPECT_EQ(LangManager().GetActiveLangID(), 1033);
    ResetLangManager();
}

} // namespace
