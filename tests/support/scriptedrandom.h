#pragma once

#include "mixingrandom.h"

#include <QList>

// Draws scripted values first, then those of the program's generator; records re-seeds.
class ScriptedRandom : public Random
{
public:
    void queue(std::initializer_list<float> values) { m_values.append(values); }
    const QList<float> &seeds() const { return m_seeds; }

    float next() override { return m_values.isEmpty() ? m_fallback.next() : m_values.takeFirst(); }
    void reseed(float seed) override
    {
        m_seeds.append(seed);
        m_fallback.reseed(seed);
    }

private:
    QList<float> m_values;
    QList<float> m_seeds;
    MixingRandom m_fallback;
};
