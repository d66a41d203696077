#pragma once

class nProjectSceneInstance;

// One entry of the project's render stack: which scene instance is drawn and where in the order.
// The largest z order is drawn first.
class nProjectLayer
{
public:
    nProjectLayer(nProjectSceneInstance* instance, float zOrder) : m_instance(instance), m_zOrder(zOrder) {}

    nProjectSceneInstance* GetInstance() const { return m_instance; }
    float GetZOrder() const { return m_zOrder; }
    void SetZOrder(float zOrder) { m_zOrder = zOrder; }

private:
    nProjectSceneInstance* m_instance; // not owned; may be null
    float m_zOrder;
};
