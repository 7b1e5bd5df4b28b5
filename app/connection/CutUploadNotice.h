#pragma once

class TCustomRecorder;
class TLongOperation;

// The connect path, once the recorder answers: an upload to this recorder
// that was cut (its journal left behind) is told in one message naming the
// file and what arrived, read from a scan of the content; each journal then
// goes, so that the message comes once. Nothing on the recorder changes.
// A damaged journal is left alone with a line in the log; when the scan
// fails the journals stay for the next connect.
void TellCutUploads(TCustomRecorder& recorder, TLongOperation& operation);
