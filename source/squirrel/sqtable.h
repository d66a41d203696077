#pragma once

#include "squirrel/sqobject.h"
#include "squirrel/sqstring.h"

#include <vector>

SQHash sqHashKey(const SQObject& key);

// Hash table that keeps insertion order: slots live in a dense vector in the order they were
// added and buckets chain indices into it. A removed slot leaves a hole (null key) that
// iteration skips; holes are squeezed out when they outnumber the live slots.
struct SQTable : SQRefCounted {
    struct Node {
        SQObjectPtr key;
        SQObjectPtr val;
        int32_t next;
    };
    SQVector<Node> _nodes;
    SQVector<int32_t> _buckets;
    SQInteger _count = 0;
    SQTable* _delegate = nullptr;

    static SQTable* Create(SQSharedState* ss, SQInteger capacity = 0);
    ~SQTable() override;
    void Finalize() override;
    void Traverse(SQCollector& gc) override;

    SQObjectPtr* Find(const SQObject& key) {
        if (key._type == OT_STRING) return FindString(key._unVal.pString);
        int32_t i = Lookup(key, sqHashKey(key));
        return i >= 0 ? &_nodes[(size_t)i].val : nullptr;
    }
    // Strings are interned: a key is the same string object.
    SQObjectPtr* FindString(const SQString* key) {
        for (int32_t i = _buckets[key->_hash & (_buckets.size() - 1)]; i >= 0; i = _nodes[(size_t)i].next) {
            Node& n = _nodes[(size_t)i];
            if (n.key._unVal.pString == key && n.key._type == OT_STRING) return &n.val;
        }
        return nullptr;
    }
    bool Get(const SQObject& key, SQObjectPtr& out) {
        SQObjectPtr* p = Find(key);
        if (!p) return false;
        out = sqRealValue(*p);
        return true;
    }
    // Assigns an existing slot only.
    bool Set(const SQObject& key, const SQObject& val);
    void NewSlot(const SQObject& key, const SQObject& val);
    bool Remove(const SQObject& key);
    void Clear();
    SQTable* Clone();
    void SetDelegate(SQTable* d);
    SQInteger Count() const { return _count; }
    // Iteration: returns the position after the slot found, or -1 at the end.
    SQInteger Next(SQInteger from, SQObjectPtr& key, SQObjectPtr& val) const;

private:
    void Rehash(size_t buckets);
    int32_t Lookup(const SQObject& key, SQHash h) const;
};


