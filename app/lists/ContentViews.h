#pragma once

class TCustomRecorder;

// What the connection asks of the record and flash-drive views; the lists
// controller implements it.
class TContentViews {
public:
    virtual ~TContentViews() = default;

    // RecordList and FDrvFiles emptied, lvRecContent and lvDrvContent at 0 rows.
    virtual void ClearContent() = 0;
    // The not-connected state: the rows of both list views cleared.
    virtual void ClearViewItems() = 0;
    // After a scan: FillRecordList, FillDriveList and the location combo.
    virtual void FillContent(TCustomRecorder& recorder) = 0;
    // actShowRec: the records view becomes the current one.
    virtual void ShowRecordsView() = 0;
    // The flash-drive folder view back at the top folder.
    virtual void DriveFolderToTop() = 0;
    // The first refresh with AutoDownload: select the whole records (with
    // nonDownOnly only those never downloaded), copy them to the default
    // folder, erase them with autoDelete, clear the selection.
    virtual void RunAutoDownload(bool nonDownOnly, bool autoDelete) = 0;
};
