#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "geometry/nGeometryBIH.h"
#include "geometry/nGeometryKDTree.h"

#include <new>

void* nGeometryTree::operator new(size_t size) noexcept
{
    return MemAllocGeometry(size);
}

void nGeometryTree::operator delete(void* memory) noexcept
{
    MemFreeGeometry(memory);
}

bool nGeometry::CreateTree(int32_t kind)
{
    if (tree)
        return true;
    if (kind == nGeometryTree::KindBIH)
        tree = new nGeometryBIH();
    else if (kind == nGeometryTree::KindKDTree)
        tree = new nGeometryKDTree();
    if (!tree)
    {
        nLogHolder::Get() << "[!] Failed to allocate geotree.\n";
        return false;
    }
    return tree->Build(this);
}

void nGeometry::DeleteTree()
{
    delete tree;
    tree = nullptr;
}
