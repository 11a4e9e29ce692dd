#pragma once

#include "common/Clock.h"

#include <QString>

#include <memory>
#include <vector>

namespace trelvo {

// The base of everything in the scene: controls, animations and effects.
//
// Two relations, as in the toolkit the screens were designed for:
//  - the owner destroys what it owns (an object passed as owner to a constructor);
//  - the parent draws and hit-tests its children, in child order (later children above earlier
//    ones), and destroys them too.
// Whichever of owner and parent goes first takes the object with it; the other one is told.
class TSceneObject {
public:
    explicit TSceneObject(TSceneObject *owner = nullptr);
    virtual ~TSceneObject();
    TSceneObject(const TSceneObject &) = delete;
    TSceneObject &operator=(const TSceneObject &) = delete;

    TSceneObject *Owner() const { return FOwner; }
    TSceneObject *Parent() const { return FParent; }
    // Appends the object as the last (topmost) child of parent; nullptr takes it out of the scene.
    void SetParent(TSceneObject *parent);
    const std::vector<TSceneObject *> &Children() const { return FChildren; }
    int ChildIndex(const TSceneObject *child) const;
    // Moves the object to the top (last) or the bottom (first) of its parent's children.
    void BringToFront();
    void SendToBack();

    const QString &Name() const { return FName; }
    void SetName(const QString &name) { FName = name; }
    // The first direct child with that name, or nullptr.
    TSceneObject *FindChild(const QString &name) const;

    // Destroys the object from the clock a moment later (a 0 ms callback), for objects that end
    // themselves from inside their own callbacks. Calling it again changes nothing.
    void DeferredFree();
    bool FreePending() const { return FFreeId != 0; }

    // Scene objects alive in the process: what a long run leaves behind shows here first.
    static int LiveCount();

    // True while the object exists; lets a caller notice that a callback destroyed it.
    std::shared_ptr<const bool> AliveToken() const { return FAlive; }

protected:
    // The parent is the object's container; a scroll box hands its children to its content.
    virtual TSceneObject *ContainerFor(TSceneObject *child) {
        (void)child;
        return this;
    }
    virtual void ChildAdded(TSceneObject *child) { (void)child; }
    virtual void ChildRemoved(TSceneObject *child) { (void)child; }
    virtual void ParentChanging() {}
    virtual void ParentChanged() {}
    // Destroys every child now; a destructor calls it while its own class is still whole.
    void DestroyChildren();
    // Leaves the parent without telling it (a destructor that tells the parent itself).
    void DetachSilently() { DetachFromParent(false); }
    bool Destroying() const { return FDestroying; }
    void MarkDestroying() { FDestroying = true; }

private:
    void DetachFromParent(bool notify);

    TSceneObject *FOwner = nullptr;
    std::vector<TSceneObject *> FOwned;
    TSceneObject *FParent = nullptr;
    std::vector<TSceneObject *> FChildren;
    QString FName;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    TClock *FFreeClock = nullptr;
    TClock::TId FFreeId = 0;
    bool FDestroying = false;
};

// A pointer that reads nullptr once its object is destroyed.
template <class T> class TWeakRef {
public:
    TWeakRef() = default;
    TWeakRef(T *object) { Reset(object); }
    void Reset(T *object = nullptr) {
        FObject = object;
        FAlive = object ? object->AliveToken() : nullptr;
    }
    T *Get() const { return (FAlive && *FAlive) ? FObject : nullptr; }
    T *operator->() const { return Get(); }
    explicit operator bool() const { return Get() != nullptr; }

private:
    T *FObject = nullptr;
    std::shared_ptr<const bool> FAlive;
};

// A new child of parent, owned and parented by it: the two steps every built window repeats.
template <class T> T *AddTo(TSceneObject *parent) {
    auto *object = new T(parent);
    object->SetParent(parent);
    return object;
}

} // namespace trelvo
