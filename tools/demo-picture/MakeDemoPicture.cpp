// Converts a frame the demo grabbed into the README's JPEG, halved so that the repository stays small:
//   build/tools/demo-picture/make_demo_picture demo/demo-out/frame_2.tga docs/demo.jpg

#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/picture/nPicture.h"
#include "core/picture/nPictureIOCodec.h"
#include "platform/nPlatform.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: make_demo_picture <frame.tga> <picture.jpg>\n");
        return 2;
    }
    nSharedPtr<nIOCFile> host(new nIOCFile(nString("")));
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    files.Mount(host.Get());
    PictureRegisterIOCodecs();
    nPicture picture;
    if (!nPicture::Load(picture, nString(argv[1])) ||
        !picture.Resize(int32_t(picture.GetWidth() / 2), int32_t(picture.GetHeight() / 2)))
        return 1;
    nPictureIOCodec* jpeg = PictureFindIOCodec("Jpeglib");
    std::unique_ptr<nIOHandle> out(files.Open(nString(argv[2]), IOModeWrite));
    if (!jpeg || !out || !jpeg->Save(out.get(), picture) || !out->Commit())
        return 1;
    std::printf("Wrote %s (%ux%u)\n", argv[2], picture.GetWidth(), picture.GetHeight());
    return 0;
}
