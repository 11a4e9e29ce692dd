#include "SceneObject.h"

#include <algorithm>
#include <atomic>

namespace trelvo {

namespace {
std::atomic<int> gLive{0};
} // namespace

int TSceneObject::LiveCount() {
    return gLive.load(std::memory_order_relaxed);
}

TSceneObject::TSceneObject(TSceneObject *owner) : FOwner(owner) {
    gLive.fetch_add(1, std::memory_order_relaxed);
    if (FOwner)
        FOwner->FOwned.push_back(this);
}

TSceneObject::~TSceneObject() {
    FDestroying = true;
    *FAlive = false;
    if (FFreeId != 0)
        FFreeClock->Cancel(FFreeId);
    DestroyChildren();
    // Owned objects outside the children, newest first.
    while (!FOwned.empty()) {
        TSceneObject *owned = FOwned.back();
        FOwned.pop_back();
        owned->FOwner = nullptr;
        delete owned;
    }
    DetachFromParent(true);
    if (FOwner) {
        auto &list = FOwner->FOwned;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        FOwner = nullptr;
    }
    gLive.fetch_sub(1, std::memory_order_relaxed);
}

void TSceneObject::DestroyChildren() {
    while (!FChildren.empty())
        delete FChildren.back();
}

void TSceneObject::DetachFromParent(bool notify) {
    if (!FParent)
        return;
    TSceneObject *parent = FParent;
    auto &list = parent->FChildren;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    FParent = nullptr;
    if (notify && !parent->FDestroying)
        parent->ChildRemoved(this);
}

void TSceneObject::SetParent(TSceneObject *parent) {
    if (parent)
        parent = parent->ContainerFor(this);
    if (parent == FParent)
        return;
    ParentChanging();
    DetachFromParent(true);
    if (parent) {
        FParent = parent;
        parent->FChildren.push_back(this);
        parent->ChildAdded(this);
    }
    ParentChanged();
}

int TSceneObject::ChildIndex(const TSceneObject *child) const {
    auto it = std::find(FChildren.begin(), FChildren.end(), child);
    return it == FChildren.end() ? -1 : static_cast<int>(it - FChildren.begin());
}

void TSceneObject::BringToFront() {
    if (!FParent)
        return;
    TSceneObject *parent = FParent;
    auto &list = parent->FChildren;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    parent->ChildAdded(this);
}

void TSceneObject::SendToBack() {
    if (!FParent)
        return;
    TSceneObject *parent = FParent;
    auto &list = parent->FChildren;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
    parent->ChildAdded(this);
}

TSceneObject *TSceneObject::FindChild(const QString &name) const {
    for (TSceneObject *child : FChildren)
        if (child->FName == name)
            return child;
    return nullptr;
}

void TSceneObject::DeferredFree() {
    if (FFreeId != 0 || FDestroying)
        return;
    FFreeClock = &TClock::Current();
    FFreeId = FFreeClock->Schedule(0, [this] {
        FFreeId = 0;
        delete this;
    });
}

} // namespace trelvo
