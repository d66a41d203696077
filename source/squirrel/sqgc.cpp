#include "squirrel/sqgc.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"

SQObjectType sqCollectableType(SQRefCounted* r) {
    if (dynamic_cast<SQTable*>(r)) return OT_TABLE;
    if (dynamic_cast<SQArray*>(r)) return OT_ARRAY;
    if (dynamic_cast<SQClosure*>(r)) return OT_CLOSURE;
    if (dynamic_cast<SQNativeClosure*>(r)) return OT_NATIVECLOSURE;
    if (dynamic_cast<SQClass*>(r)) return OT_CLASS;
    if (dynamic_cast<SQInstance*>(r)) return OT_INSTANCE;
    if (dynamic_cast<SQUserData*>(r)) return OT_USERDATA;
    if (dynamic_cast<SQGenerator*>(r)) return OT_GENERATOR;
    if (dynamic_cast<SQVM*>(r)) return OT_THREAD;
    if (dynamic_cast<SQOuter*>(r)) return OT_OUTER;
    return OT_FUNCPROTO;
}

SQInteger sqCollectGarbage(SQSharedState* ss, std::vector<SQRefCounted*>* unreachable) {
    if (ss->_closing || ss->_collecting) return 0;
    ss->_collecting = true;
    SQCollector gc;
    for (SQRefCounted* r = ss->_chain; r; r = r->_next) r->_gcRefs = (int32_t)r->_uiRef;
    for (SQRefCounted* r = ss->_chain; r; r = r->_next) r->Traverse(gc);
    // An object queued for destruction (count zero) is left alone; a negative remainder would
    // mean a reference reported but never counted, and then nothing is freed.
    for (SQRefCounted* r = ss->_chain; r; r = r->_next) {
        if (r->_gcRefs < 0) {
            ss->_collecting = false;
            return 0;
        }
        if (r->_gcRefs > 0 || r->_uiRef == 0) {
            r->_gcRefs = SQCollector::kReached;
            gc.pending.push_back(r);
        }
    }
    gc.mode = SQCollector::Mode::Mark;
    while (!gc.pending.empty()) {
        SQRefCounted* r = gc.pending.back();
        gc.pending.pop_back();
        r->Traverse(gc);
    }
    std::vector<SQRefCounted*> garbage;
    for (SQRefCounted* r = ss->_chain; r; r = r->_next) {
        if (r->_gcRefs != SQCollector::kReached) {
            ++r->_uiRef;
            garbage.push_back(r);
        }
    }
    SQInteger count = (SQInteger)garbage.size();
    if (unreachable) {
        unreachable->swap(garbage);
        ss->_collecting = false;
        return count;
    }
    // Captured locals leave dead stacks first, so that a live closure sharing one keeps its
    // value; the garbage outers are emptied with the rest below.
    for (SQRefCounted* r : garbage) r->DetachOuters();
    for (SQRefCounted* r : garbage) r->Finalize();
    for (SQRefCounted* r : garbage) sqRelease(r);
    ss->_collecting = false;
    return count;
}
