#include "core/links/RecorderLinkSelection.h"

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/links/ftdi/FtdiLink.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/image/ImageProbe.h"
#include "core/links/usb/Q71Link.h"

void SelectRecorderLink(std::uint32_t connectType)
{
    if (IsImageConnection(connectType))
        SetLink(ImageProbe, ImageExecute);
    else if (IsAdapterConnection(connectType))
        SetLink(FtdiProbe, FtdiExecute);
    else
        SetLink(Q71Probe, Q71Execute);
}
