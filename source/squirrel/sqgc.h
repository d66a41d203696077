#pragma once

#include "squirrel/sqobject.h"

#include <vector>

struct SQSharedState;

// Cycle collector over the shared state's chain of collectable objects (everything that can
// hold references: tables, arrays, closures, classes, instances, userdata, generators, threads,
// outers and function prototypes; strings and weak references hold none).
//
// Reference counts already free everything acyclic, so a collection only has to find the
// objects that nothing outside the chain keeps alive. Each object's count minus the counted
// references the other chained objects hold on it is what C++ holds on it: the host (sq_addref),
// the shared state (registry, const table, delegates), the running VM's locals. Objects with
// such outside references are the roots; together with the root VM (held by sq_open) they reach
// the root table and every live thread's stack. What is not reached from them is garbage: each
// is held once more, emptied (its release hook runs then), and released, so that counts bring
// it to zero exactly once however the cycle was linked.
struct SQCollector {
    enum class Mode { Subtract, Mark };
    Mode mode = Mode::Subtract;
    std::vector<SQRefCounted*> pending;

    // A counted reference held by the object being traversed.
    void Edge(const SQObject& o) {
        if (IsCollectable(o._type)) Edge(o._unVal.pRefCounted);
    }
    void Edge(SQRefCounted* r) {
        if (!r) return;
        if (mode == Mode::Subtract) {
            --r->_gcRefs;
        } else {
            Reach(r);
        }
    }
    // A value reachable without a counted reference (an open outer's slot): it keeps its
    // target alive but does not explain any of its count.
    void Follow(const SQObject& o) {
        if (mode == Mode::Mark && IsCollectable(o._type)) Reach(o._unVal.pRefCounted);
    }

    static constexpr int32_t kReached = INT32_MAX;
    static bool IsCollectable(SQObjectType t) {
        return ISREFCOUNTED(t) && t != OT_STRING && t != OT_WEAKREF;
    }

private:
    void Reach(SQRefCounted* r) {
        if (r->_gcRefs == kReached) return;
        r->_gcRefs = kReached;
        pending.push_back(r);
    }
};

// Frees the unreachable cycles of `ss` and returns how many objects were freed. `unreachable`,
// when given, receives them instead (each with one added reference) and nothing is freed.
SQInteger sqCollectGarbage(SQSharedState* ss, std::vector<SQRefCounted*>* unreachable = nullptr);
// The value type of a chained object.
SQObjectType sqCollectableType(SQRefCounted* r);
