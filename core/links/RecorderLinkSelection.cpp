#include "RecorderLinkSelection.h"

#include "ConnectType.h"
#include "FtdiLink.h"
#include "ImageEmulator.h"
#include "ImageProbe.h"
#include "Link.h"
#include "Q71Link.h"

void SelectRecorderLink(std::uint32_t connectType)
{
    if (IsImageConnection(connectType))
        SetLink(ImageProbe, ImageExecute);
    else if (connectType == ctMassStorage)
        SetLink(Q71Probe, Q71Execute);
    else
        SetLink(FtdiProbe, FtdiExecute);
}
