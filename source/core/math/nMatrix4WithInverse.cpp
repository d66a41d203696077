#include "core/math/nMatrix4WithInverse.h"

void nMatrix4WithInverse::Set(const nMatrix4& matrix)
{
    m_matrix = matrix;
    m_inverse = m_matrix.InverseAffine();
}

void nMatrix4WithInverse::SetColumn(int index, const nVector& column)
{
    m_matrix.SetColumn(index, column);
    m_inverse = m_matrix.InverseAffine();
}

void nMatrix4WithInverse::SetRow(int index, const nVector& row)
{
    m_matrix.SetRow(index, row);
    m_inverse = m_matrix.InverseAffine();
}

bool nMatrix4WithInverse::Parse(const nMetaTag* tag)
{
    if (!m_matrix.Parse(tag))
        return false;
    m_inverse = m_matrix.InverseAffine();
    return true;
}
