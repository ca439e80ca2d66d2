#pragma once

// The device's matrix record: sixteen floats, addressable by name (_11 .. _44,
// row then column) or as m[row][column].
struct D3DMATRIX
{
    union
    {
        struct
        {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};
