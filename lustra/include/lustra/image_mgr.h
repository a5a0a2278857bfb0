#pragma once

#include "lustra/image_info.h"
#include "lustra/lustra_export.h"

#include <map>
#include <string>

class QImage;

namespace LUSTRA {

// The process's skin pictures and the images cut from them. It owns every record and picture in
// its tables; the tables only grow. User-interface thread only.
class LUSTRA_API CImageMgr {
public:
    // The single instance, created by GetInstance on first use (or by the program, which may
    // store its own here); the library never destroys it.
    static CImageMgr* m_pInstance;

    CImageMgr() = default;
    virtual ~CImageMgr();
    CImageMgr(const CImageMgr&) = delete;
    CImageMgr& operator=(const CImageMgr&) = delete;

    static CImageMgr* GetInstance();

    // Takes the record over when the id is new and says so; a record not taken (its id was
    // already present, or it is null) stays the caller's.
    bool AddImageInfo(int id, ST_IMG_INFO* info);

    // The record of that id, or null.
    ST_IMG_INFO* GetImgByItemID(int id);

    // The picture stored under exactly this path, loaded and stored on first use (an unreadable
    // file stores a 0 x 0 picture). Null only for a null path or when nothing could be
    // allocated. The table owns the picture returned.
    QImage* AddBitmap(const char* path);

    // The picture stored under exactly this path, or null.
    QImage* GetBitmapByPath(const char* path);

private:
    std::map<int, ST_IMG_INFO*> m_images;
    std::map<std::string, QImage*> m_bitmaps;
};

} // namespace LUSTRA
