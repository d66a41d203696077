#include "animation/nAnimationSource.h"

void nAnimationSource::Step(float dt)
{
    if (m_weightRate != 0.0f)
    {
        m_weight += m_weightRate * dt;
        if ((m_weightRate > 0.0f && m_weight > m_targetWeight) || (m_weightRate < 0.0f && m_weight < m_targetWeight))
        {
            m_weight = m_targetWeight;
            m_weightRate = 0.0f;
        }
    }
    m_clock += m_clockScale * dt;
}

void nAnimationSource::FadeTo(float weight, float fadeTime)
{
    if (weight < 0.0f)
        weight = 0.0f;
    m_targetWeight = weight;
    if (fadeTime > 0.0f)
        m_weightRate = (weight - m_weight) / fadeTime;
    else
    {
        m_weight = weight;
        m_weightRate = 0.0f;
    }
}

void nAnimationSource::FadeOut(float fadeTime)
{
    m_targetWeight = 0.0f;
    m_removeWhenFaded = true;
    if (fadeTime > 0.0f)
        m_weightRate = -m_weight / fadeTime;
    else
    {
        m_weight = 0.0f;
        m_weightRate = 0.0f;
    }
}
