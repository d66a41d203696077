#include "squirrel/sqtable.h"

#include "squirrel/sqgc.h"
#include "squirrel/sqstring.h"

SQHash sqHashKey(const SQObject& key) {
    switch (key._type) {
    case OT_STRING: return _string(key)->_hash;
    case OT_INTEGER:
    case OT_BOOL: return (SQHash)_integer(key) * 2654435761u;
    case OT_FLOAT: {
        // 0.0 and -0.0 are one key. Round values have no low mantissa bits: mixed in fully.
        SQFloat f = key._unVal.fFloat == 0.0f ? 0.0f : key._unVal.fFloat;
        uint32_t bits;
        memcpy(&bits, &f, sizeof(bits));
        uint64_t product = (uint64_t)bits * 0x9fb21c651e98df25ull;
        return (SQHash)(product ^ (product >> 32));
    }
    default: {
        uint64_t product = (uint64_t)(uintptr_t)key._unVal.pUserPointer * 0x9fb21c651e98df25ull;
        return (SQHash)(product ^ (product >> 32));
    }
    }
}

SQTable* SQTable::Create(SQSharedState* ss, SQInteger capacity) {
    SQTable* t = new SQTable();
    t->LinkInto(ss);
    size_t b = 4;
    while ((SQInteger)b < capacity) b <<= 1;
    t->_buckets.assign(b, -1);
    if (capacity > 0) t->_nodes.reserve((size_t)capacity);
    return t;
}

SQTable::~SQTable() { SetDelegate(nullptr); }

void SQTable::Finalize() {
    SetDelegate(nullptr);
    SQVector<Node>().swap(_nodes);
    _buckets.assign(4, -1);
    _count = 0;
}

void SQTable::Traverse(SQCollector& gc) {
    for (const Node& n : _nodes) {
        gc.Edge(n.key);
        gc.Edge(n.val);
    }
    gc.Edge(_delegate);
}

void SQTable::SetDelegate(SQTable* d) {
    if (d) ++d->_uiRef;
    SQTable* old = _delegate;
    _delegate = d;
    sqRelease(old);
}

int32_t SQTable::Lookup(const SQObject& key, SQHash h) const {
    for (int32_t i = _buckets[h & (_buckets.size() - 1)]; i >= 0; i = _nodes[(size_t)i].next) {
        if (sqKeyEquals(_nodes[(size_t)i].key, key)) return i;
    }
    return -1;
}

bool SQTable::Set(const SQObject& key, const SQObject& val) {
    SQObjectPtr* p = Find(key);
    if (!p) return false;
    *p = val;
    return true;
}

void SQTable::NewSlot(const SQObject& key, const SQObject& val) {
    SQHash h = sqHashKey(key);
    int32_t i = Lookup(key, h);
    if (i >= 0) {
        _nodes[(size_t)i].val = val;
        return;
    }
    if (_nodes.size() >= _buckets.size()) {
        // Squeeze holes first when they are many; else grow.
        Rehash((SQInteger)_nodes.size() > 2 * _count ? _buckets.size() : _buckets.size() * 2);
    }
    size_t slot = h & (_buckets.size() - 1);
    Node n{SQObjectPtr(key), SQObjectPtr(val), _buckets[slot]};
    _nodes.push_back(std::move(n));
    _buckets[slot] = (int32_t)_nodes.size() - 1;
    ++_count;
}

void SQTable::Rehash(size_t buckets) {
    SQVector<Node> old;
    old.swap(_nodes);
    _nodes.reserve(buckets);
    _buckets.assign(buckets, -1);
    for (Node& n : old) {
        if (n.key._type == OT_NULL) continue;
        size_t slot = sqHashKey(n.key) & (buckets - 1);
        n.next = _buckets[slot];
        _nodes.push_back(std::move(n));
        _buckets[slot] = (int32_t)_nodes.size() - 1;
    }
}

bool SQTable::Remove(const SQObject& key) {
    SQHash h = sqHashKey(key);
    int32_t* link = &_buckets[h & (_buckets.size() - 1)];
    while (*link >= 0) {
        Node& n = _nodes[(size_t)*link];
        if (sqKeyEquals(n.key, key)) {
            *link = n.next;
            n.next = -1;
            SQObjectPtr k = std::move(n.key);
            SQObjectPtr v = std::move(n.val);
            --_count;
            while (!_nodes.empty() && _nodes.back().key._type == OT_NULL) _nodes.pop_back();
            return true;
        }
        link = &n.next;
    }
    return false;
}

void SQTable::Clear() {
    SQVector<Node> old;
    old.swap(_nodes);
    _buckets.assign(4, -1);
    _count = 0;
}

SQTable* SQTable::Clone() {
    SQTable* t = Create(_sharedState, _count);
    for (const Node& n : _nodes) {
        if (n.key._type != OT_NULL) t->NewSlot(n.key, n.val);
    }
    t->SetDelegate(_delegate);
    return t;
}

SQInteger SQTable::Next(SQInteger from, SQObjectPtr& key, SQObjectPtr& val) const {
    for (size_t i = (size_t)from; i < _nodes.size(); ++i) {
        if (_nodes[i].key._type != OT_NULL) {
            key = _nodes[i].key;
            val = sqRealValue(_nodes[i].val);
            return (SQInteger)i + 1;
        }
    }
    return -1;
}
