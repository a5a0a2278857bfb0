#include "lustra/image_mgr.h"

#include "lustra/image_loader.h"

#include <QImage>

namespace LUSTRA {

CImageMgr* CImageMgr::m_pInstance = nullptr;

CImageMgr::~CImageMgr() {
    for (auto& [id, info] : m_images) {
        delete info;
    }
    for (auto& [path, bitmap] : m_bitmaps) {
        delete bitmap;
    }
    m_images.clear();
    m_bitmaps.clear();
}

CImageMgr* CImageMgr::GetInstance() {
    if (!m_pInstance) {
        m_pInstance = new CImageMgr;
    }
    return m_pInstance;
}

bool CImageMgr::AddImageInfo(int id, ST_IMG_INFO* info) {
    return info && m_images.emplace(id, info).second;
}

ST_IMG_INFO* CImageMgr::GetImgByItemID(int id) {
    const auto found = m_images.find(id);
    return found == m_images.end() ? nullptr : found->second;
}

QImage* CImageMgr::AddBitmap(const char* path) {
    if (!path) {
        return nullptr;
    }
    if (QImage* stored = GetBitmapByPath(path)) {
        return stored;
    }
    QImage* bitmap = LoadBmpFromFile(path);
    if (bitmap) {
        m_bitmaps.emplace(path, bitmap);
    }
    return bitmap;
}

QImage* CImageMgr::GetBitmapByPath(const char* path) {
    if (!path) {
        return nullptr;
    }
    const auto found = m_bitmaps.find(path);
    return found == m_bitmaps.end() ? nullptr : found->second;
}

} // namespace LUSTRA
