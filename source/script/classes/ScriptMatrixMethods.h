#pragma once

#include "script/classes/ScriptClassValue.h"
#include "script/classes/ScriptMatrixKeys.h"
#include "script/classes/ScriptVector.h"

// The methods that Matrix3 and Matrix4 share, for a row-major Size x Size matrix class.
template <typename Matrix, int Size, const nScriptClassDescriptor& Class>
struct nScriptMatrixMethods
{
    using Storage = nScriptValueStorage<Matrix, MemCategoryMatrix>;

    static Matrix* This(HSQUIRRELVM vm) { return GetThis<Matrix>(vm, Class); }

    // No argument: identity; Size vectors: the columns; Size * Size numbers: the elements column
    // by column.
    static SQInteger Construct(HSQUIRRELVM vm, const char* countError, const char* parameterError)
    {
        if (!IsClassInstance(vm, 1, Class))
            return sq_throwerror(vm, "Invalid instance type");
        const SQInteger count = sq_gettop(vm) - 1;
        Matrix value;
        if (count == Size)
        {
            for (int column = 0; column < Size; ++column)
            {
                const nVector* vector = GetVectorInstance(vm, 2 + column);
                if (!vector)
                    return sq_throwerror(vm, parameterError);
                value.SetColumn(column, *vector);
            }
        }
        else if (count == Size * Size)
        {
            for (int i = 0; i < Size * Size; ++i)
                value.m[(i % Size) * Size + i / Size] = ScriptFloatAt(vm, 2 + i);
        }
        else if (count != 0)
        {
            return sq_throwerror(vm, countError);
        }
        Matrix* self = Storage::Construct(vm);
        if (!self)
            return sq_throwerror(vm, "Internal failure");
        *self = value;
        return 0;
    }

    static SQInteger Get(HSQUIRRELVM vm)
    {
        const Matrix* self = This(vm);
        if (!self)
            return SQ_ERROR;
        const int element = MatrixElementOfKey(vm, Size);
        if (element < 0)
            return sq_throwerror(vm, "Index out of range");
        sq_pushfloat(vm, self->m[element]);
        return 1;
    }

    static SQInteger Set(HSQUIRRELVM vm)
    {
        Matrix* self = This(vm);
        if (!self)
            return SQ_ERROR;
        const int element = MatrixElementOfKey(vm, Size);
        if (element < 0)
            return sq_throwerror(vm, "Index out of range");
        self->m[element] = ScriptFloatAt(vm, 3);
        return 0;
    }

    static SQInteger Multiply(HSQUIRRELVM vm)
    {
        const Matrix* self = This(vm);
        const Matrix* other = self ? GetArgument<Matrix>(vm, 2, Class) : nullptr;
        if (!other)
            return SQ_ERROR;
        return Storage::Push(vm, Class, *self * *other) ? 1 : sq_throwerror(vm, "Internal failure");
    }

    static SQInteger TypeOf(HSQUIRRELVM vm)
    {
        sq_pushstring(vm, Class.name, -1);
        return 1;
    }

    // Script "rows" are the matrix's columns, its axes, read as points; script "columns" are the
    // matrix's rows. A vector written keeps w at 1 where the matrix has a fourth row.
    static SQInteger GetRow(HSQUIRRELVM vm)
    {
        int line = 0;
        const Matrix* self = WithLine(vm, line);
        return self ? PushVectorResult(vm, nVector(self->m[line], self->m[line + Size], self->m[line + 2 * Size]))
                    : SQ_ERROR;
    }

    static SQInteger SetRow(HSQUIRRELVM vm) { return SetLine(vm, &Matrix::SetColumn); }

    static SQInteger GetColumn(HSQUIRRELVM vm)
    {
        int line = 0;
        const Matrix* self = WithLine(vm, line);
        return self ? PushVectorResult(vm, self->GetRow(line)) : SQ_ERROR;
    }

    static SQInteger SetColumn(HSQUIRRELVM vm) { return SetLine(vm, &Matrix::SetRow); }

    static SQInteger SetLine(HSQUIRRELVM vm, void (Matrix::*set)(int, const nVector&))
    {
        int line = 0;
        const nVector* vector = nullptr;
        Matrix* self = WithLineAndVector(vm, line, vector);
        if (!self)
            return SQ_ERROR;
        (self->*set)(line, nVector(vector->x, vector->y, vector->z, 1.0f));
        return 0;
    }

    static bool Push(HSQUIRRELVM vm, const Matrix& value) { return Storage::Push(vm, Class, value); }
    static Matrix* Instance(HSQUIRRELVM vm, SQInteger index)
    {
        return static_cast<Matrix*>(GetClassInstanceValue(vm, index, Class));
    }

    // The matrix and the row or column index at stack index 2; null after the runtime error.
    static Matrix* WithLine(HSQUIRRELVM vm, int& line)
    {
        Matrix* self = This(vm);
        if (!self)
            return nullptr;
        line = MatrixLineIndex(vm, Size);
        if (line < 0)
        {
            sq_throwerror(vm, "Index out of range");
            return nullptr;
        }
        return self;
    }

    // With the vector argument at stack index 3 too.
    static Matrix* WithLineAndVector(HSQUIRRELVM vm, int& line, const nVector*& vector)
    {
        Matrix* self = WithLine(vm, line);
        vector = self ? GetArgument<nVector>(vm, 3, VectorClass) : nullptr;
        return vector ? self : nullptr;
    }
};
