// Parameter definitions: how an effect declares its controls (add_param during parameter setup)
// and how the host hands their values back (the params array and checkout_param).
#pragma once

#include "host/host_types.h"
#include "host/host_world.h"

#pragma pack(push, 8)

// Integer slider (PF_Param_SLIDER).
struct PF_SliderDef {
    PF_ParamValue value;
    A_char value_str[32];
    A_char value_desc[32];
    PF_ParamValue valid_min;
    PF_ParamValue valid_max;
    PF_ParamValue slider_min;
    PF_ParamValue slider_max;
    PF_ParamValue dephault;
};

// Fixed-point slider (PF_Param_FIX_SLIDER); values are 16.16.
struct PF_FixedSliderDef {
    PF_Fixed value;
    A_char value_str[32];
    A_char value_desc[32];
    PF_Fixed valid_min;
    PF_Fixed valid_max;
    PF_Fixed slider_min;
    PF_Fixed slider_max;
    PF_Fixed dephault;
    A_short precision;
    PF_ValueDisplayFlags display_flags;
};

// Floating-point slider (PF_Param_FLOAT_SLIDER). The value is a double, the limits are floats.
struct PF_FloatSliderDef {
    PF_FpLong value;
    PF_FpLong phase; // audio only
    A_char value_desc[32];
    PF_FpShort valid_min;
    PF_FpShort valid_max;
    PF_FpShort slider_min;
    PF_FpShort slider_max;
    PF_FpShort dephault;
    A_short precision; // digits after the decimal point
    PF_ValueDisplayFlags display_flags;
    PF_FSliderFlags fs_flags;
    PF_FpShort curve_tolerance;
    PF_Boolean useExponent;
    PF_FpShort exponent;
};

// Angle (PF_Param_ANGLE): 16.16 fixed-point degrees. The limits are ignored for effects.
struct PF_AngleDef {
    PF_Fixed value;
    PF_Fixed dephault;
    PF_Fixed valid_min;
    PF_Fixed valid_max;
};

// Checkbox (PF_Param_CHECKBOX). u.nameptr is the label shown beside the box during add_param.
struct PF_CheckBoxDef {
    PF_ParamValue value;
    PF_Boolean dephault;
    A_char reserved;
    A_short reserved1;
    union {
        const A_char* nameptr;
    } u;
};

// Colour (PF_Param_COLOR), 8-bit.
struct PF_ColorDef {
    PF_UnionablePixel value;
    PF_UnionablePixel dephault;
};

// 2-D point (PF_Param_POINT), 16.16 fixed point.
struct PF_PointDef {
    PF_Fixed x_value;
    PF_Fixed y_value;
    A_char reserved[3];
    PF_Boolean restrict_bounds;
    PF_Fixed x_dephault;
    PF_Fixed y_dephault;
};

// Popup menu (PF_Param_POPUP). value and dephault are 1-based; u.namesptr is "A|B|C" during
// add_param.
struct PF_PopupDef {
    PF_ParamValue value;
    A_short num_choices;
    A_short dephault;
    union {
        const A_char* namesptr;
    } u;
};

// Arbitrary data (PF_Param_ARBITRARY_DATA).
struct PF_ArbitraryDef {
    A_short id;
    A_short pad;
    PF_ArbitraryH dephault;
    PF_ArbitraryH value;
    void* refconPV;
};

// Mask path reference (PF_Param_PATH).
struct PF_PathDef {
    PF_PathID path_id;
    A_long reserved0;
    A_long dephault;
};

// Push button (PF_Param_BUTTON).
struct PF_ButtonDef {
    PF_ParamValue value;
    union {
        const A_char* namesptr;
    } u;
};

// 3-D point (PF_Param_POINT_3D).
struct PF_Point3DDef {
    PF_FpLong x_value;
    PF_FpLong y_value;
    PF_FpLong z_value;
    PF_FpLong x_dephault;
    PF_FpLong y_dephault;
    PF_FpLong z_dephault;
    char reserved[16];
};

// The value record of a parameter; the member to use follows PF_ParamDef.param_type.
// Group start/end carry no record.
union PF_ParamDefUnion {
    PF_LayerDef ld;
    PF_SliderDef sd;
    PF_FixedSliderDef fd;
    PF_AngleDef ad;
    PF_CheckBoxDef bd;
    PF_ColorDef cd;
    PF_PointDef td;
    PF_PopupDef pd;
    PF_FloatSliderDef fs_d;
    PF_ArbitraryDef arb_d;
    PF_PathDef path_d;
    PF_ButtonDef button_d;
    PF_Point3DDef point3d_d;
};

// One parameter: its description (name, type, flags, disk ID) and its current value.
struct PF_ParamDef {
    union {
        A_long id;                   // disk ID, stored in projects; set before add_param
        PF_ChangeFlags change_flags; // same bytes, used by the host when values change
    } uu;
    PF_ParamUIFlags ui_flags;
    A_short ui_width;
    A_short ui_height;
    PF_ParamType param_type;
    A_char name[32];
    PF_ParamFlags flags;
    A_long unused;
    PF_ParamDefUnion u;
};

// The params argument of the effect entry point: params[0] is the input layer.
typedef PF_ParamDef** PF_ParamList;

#pragma pack(pop)
