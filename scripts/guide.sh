#!/usr/bin/env bash
# Makes the pictures of the README and docs/guide.md and the guide's cost table: renders the
# example scenes through nebulastra-render with one control swept at a time, lays each sweep out as
# a labelled strip over a sky gradient in docs/images/guide/, and times the controls that decide a
# frame's cost, writing the table into the guide between its "costs" markers. The README's four
# pictures and its animation come from the examples scaled to twice their size (readme).
#
# Usage: scripts/guide.sh                 everything
#        scripts/guide.sh strips [NAME...] the strips only (all, or the named ones)
#        scripts/guide.sh costs            the cost table only
#        scripts/guide.sh readme           the README's pictures and animation only
# Renders run one at a time under nice; the whole set takes a while on a busy machine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

require_packages $NATIVE_PACKAGES $GUIDE_PACKAGES
cd "$NEBULASTRA_ROOT"
cmake --preset linux >/dev/null
cmake --build --preset linux --target nebulastra-render Nebulastra -j "$(njobs)" >/dev/null

render=build/linux/bin/nebulastra-render
images=docs/images/guide
guide=docs/guide.md
work=build/guide
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
sky='#2c5a8c-#9fc3e6' # top to bottom; the effect draws only the clouds, with alpha

what=${1:-all}
[ $# -gt 0 ] && shift
only=("$@")
mkdir -p "$images" "$work"

# ---- strips -----------------------------------------------------------------------------------
# strip NAME SCENE [--res R] [--crop WxH] [--frame F] [key=value...]: starts a strip rendered from
# examples/SCENE at resolution R (default full: 480 x 270 tiles from the 480 x 270 examples), cut
# to W x H around the centre when --crop is given (a close-up: --crop 360x240), at frame F
# (default 0), with the effect values given.
# tile LABEL [key=value...]: one picture of the strip, with these values on top of the strip's.
strip_name='' strip_scene='' strip_res='' strip_crop='' strip_frame='' strip_sets=() labels=()
tile_sets=()

strip() {
    finish_strip
    strip_name=$1 strip_scene=$2 strip_res=full strip_crop='' strip_frame=0 strip_sets=()
    labels=() tile_sets=()
    shift 2
    while [ $# -gt 0 ]; do
        case $1 in
            --res) strip_res=$2; shift 2 ;;
            --crop) strip_crop=$2; shift 2 ;;
            --frame) strip_frame=$2; shift 2 ;;
            *) strip_sets+=("$1"); shift ;;
        esac
    done
}

tile() {
    labels+=("$1")
    shift
    tile_sets+=("$*")
}

wanted() {
    [ "$what" = all ] || [ "$what" = strips ] || return 1
    [ ${#only[@]} -eq 0 ] && return 0
    local n
    for n in "${only[@]}"; do [ "$n" = "$1" ] && return 0; done
    return 1
}

finish_strip() {
    [ -n "$strip_name" ] && wanted "$strip_name" || return 0
    echo "strip $strip_name: ${#labels[@]} tiles from $strip_scene"
    local montage_args=() i args set size
    for i in "${!labels[@]}"; do
        args=()
        for set in "${strip_sets[@]}" ${tile_sets[$i]}; do args+=(--set "$set"); done
        nice -n 10 "$render" "examples/$strip_scene" --resolution "$strip_res" --frames "$strip_frame" \
            --depth 8 "${args[@]}" -o "$work/tile.png"
        # Over the sky, which also sets the tile's size: a smaller sky crops around the centre.
        size=${strip_crop:-$(identify -format '%wx%h' "$work/tile.png")}
        composite -gravity center "$work/tile.png" -size "$size" "gradient:$sky" \
            "PNG24:$work/${strip_name}_$i.png"
        montage_args+=(-label "${labels[$i]//%/%%}" "$work/${strip_name}_$i.png")
    done
    montage -font "$font" -pointsize 16 -fill '#303030' -background white "${montage_args[@]}" \
        -tile x1 -geometry +2+2 -depth 8 -strip "$images/$strip_name.png"
    optipng -quiet -o2 -strip all "$images/$strip_name.png"
}

close=(--crop 360x240) # a close-up of the single cloud, for controls of fine detail

# Render
strip quality_steps single_white_cloud.json "${close[@]}"
for v in 16 64 128 256; do tile "$v" qualitySteps=$v; done
strip density single_white_cloud.json
for v in 50 100 200 400 800; do tile "$v %" density=$v; done
strip brightness single_white_cloud.json
for v in 25 50 100 200 400; do tile "$v %" brightness=$v; done

# Lights
strip emitters cloud_row.json
tile "off: every light" cloudPrefixOnly=false
tile "on: only \"cloud...\"" cloudPrefixOnly=true
strip saturation three_lights_screen.json
for v in 0 50 100 150 200; do tile "$v %" saturation=$v; done
strip overlap_blend warm_cool_overlap.json "${close[@]}"
for v in Average Add Screen Lighten Darken; do tile "$v" overlapBlend=$v; done

# Cloud Shape
strip cloud_size single_white_cloud.json
for v in 10 20 30 40 50; do tile "$v" cloudSize=$v; done
strip flatten_base single_white_cloud.json "${close[@]}"
for v in 0 50 75 100; do tile "$v %" flattenBase=$v; done
strip tower single_white_cloud.json
for v in 0 35 70 100; do tile "$v %" tower=$v; done
strip billow_map single_white_cloud.json "${close[@]}"
for v in Smooth Puffy Wispy Clumps; do tile "$v" billowMap=$v; done
strip billow single_white_cloud.json
for v in 0 30 60 120 200; do tile "$v %" billow=$v; done
strip billow_size single_white_cloud.json
for v in 0.5 1.5 3 6 12; do tile "$v" billowSize=$v; done
strip billow_detail single_white_cloud.json "${close[@]}"
for v in 1 2 4 6; do tile "$v" billowDetail=$v; done
strip billow_seed single_white_cloud.json
for v in 0 1 2 3; do tile "$v" billowSeed=$v; done
strip edge_softness single_white_cloud.json
for v in 0.2 1 2 4 8; do tile "$v" edgeSoftness=$v; done
strip edge_hardness single_white_cloud.json "${close[@]}"
for v in 0 25 50 100; do tile "$v %" edgeHardness=$v; done
strip edge_erosion single_white_cloud.json "${close[@]}"
for v in 0 40 70 100; do tile "$v %" edgeErosion=$v; done
strip domain_warp single_white_cloud.json "${close[@]}"
for v in 0 30 60 100; do tile "$v %" domainWarp=$v; done

# Cloud Lighting
strip sun_azimuth single_white_cloud.json
for v in 0 90 180 270; do tile "$v°" sunAzimuth=$v; done
strip sun_elevation single_white_cloud.json
for v in -45 0 45 90; do tile "$v°" sunElevation=$v; done
strip sun_intensity single_white_cloud.json
for v in 0 65 130 260 400; do tile "$v %" sunIntensity=$v; done
strip ambient single_white_cloud.json
for v in 0 35 100 200; do tile "$v %" ambient=$v; done
strip self_shadow single_white_cloud.json
for v in 0 50 100 200; do tile "$v %" selfShadow=$v; done

# Transform
strip scale single_white_cloud.json
tile "all 100 %"
tile "Scale X 200 %" scaleX=200
tile "Scale Y 200 %" scaleY=200
tile "Scale Z 200 %" scaleZ=200
tile "Scale X 50 %" scaleX=50
strip rotate single_white_cloud.json scaleX=220
tile "no rotation"
tile "Rotate Z 45°" rotateZ=45
tile "Rotate Z 90°" rotateZ=90
tile "Rotate Y 60°" rotateY=60
tile "Rotate Y 90°" rotateY=90

# Randomize
strip scale_random cloud_row.json
tile "0 %"
tile "Scale Random X 80 %" scaleRandomX=80
tile "Scale Random Y 80 %" scaleRandomY=80
tile "X, Y and Z 80 %" scaleRandomX=80 scaleRandomY=80 scaleRandomZ=80
strip rotation_random cloud_row.json scaleX=250
tile "0 %"
tile "Rotation Random Z 50 %" rotationRandomZ=50
tile "Rotation Random Z 100 %" rotationRandomZ=100
tile "X, Y and Z 100 %" rotationRandomX=100 rotationRandomY=100 rotationRandomZ=100
strip opacity_random cloud_row.json
for v in 0 50 100; do tile "$v %" opacityRandom=$v; done
strip random_seed cloud_row.json scaleRandomX=70 scaleRandomY=70 opacityRandom=60
for v in 0 1 2; do tile "Seed $v" randomSeed=$v; done

# Texture: close-ups, with "Strength" and "Contrast" raised from their defaults (30 %, 100 %),
# which at this size would leave too little to see, where another control is swept
texture=(textureStrength=60 textureContrast=150)
strip texture_type single_white_cloud.json "${close[@]}" textureStrength=100 textureContrast=200
tile "no texture" textureStrength=0
for v in Wisps Billows Erosion; do tile "$v" textureType=$v; done
strip texture_strength single_white_cloud.json "${close[@]}" "${texture[@]}"
for v in 0 30 60 100; do tile "$v %" textureStrength=$v; done
strip texture_scale single_white_cloud.json "${close[@]}" "${texture[@]}"
for v in 2 6 20; do tile "$v" textureScale=$v; done
strip texture_contrast single_white_cloud.json "${close[@]}" "${texture[@]}"
for v in 0 100 200; do tile "$v %" textureContrast=$v; done
strip texture_seed single_white_cloud.json "${close[@]}" "${texture[@]}"
for v in 0 1 2; do tile "$v" textureSeed=$v; done

# Evolution
strip world_evolution single_white_cloud.json
for v in 0 45 90 180; do tile "$v°" worldEvolution=$v; done
strip evolution_speed single_white_cloud.json --frame 48
for v in 0 30 100 300; do tile "$v %, at 2 s" evolutionSpeed=$v; done
strip evolution_parts single_white_cloud.json "${close[@]}" "${texture[@]}"
tile "all at 0°"
tile "World Evolution 90°" worldEvolution=90
tile "Billow Evolution 90°" billowEvolution=90
tile "Texture Evolution 90°" textureEvolution=90
finish_strip

# Motion blur: one frame of light_pull.json with the layer's motion blur off and on. The switch
# belongs to the layer, not to the effect, so the "off" picture renders a copy of the scene with
# it turned off.
if wanted motion_blur; then
    echo "strip motion_blur: 2 tiles from light_pull.json"
    sed 's/"motionBlur": true/"motionBlur": false/' examples/light_pull.json >"$work/light_pull_off.json"
    blur_args=()
    for blur in off on; do
        scene=examples/light_pull.json
        [ $blur = off ] && scene=$work/light_pull_off.json
        nice -n 10 "$render" "$scene" --frames 3 --depth 8 -o "$work/tile.png"
        composite -gravity center "$work/tile.png" -size 480x270 "gradient:$sky" "PNG24:$work/motion_blur_$blur.png"
        blur_args+=(-label "motion blur $blur" "$work/motion_blur_$blur.png")
    done
    montage -font "$font" -pointsize 16 -fill '#303030' -background white "${blur_args[@]}" \
        -tile x1 -geometry +2+2 -depth 8 -strip "$images/motion_blur.png"
    optipng -quiet -o2 -strip all "$images/motion_blur.png"
fi

# ---- the README's pictures ------------------------------------------------------------------
# The examples are 480 x 270 compositions. Twice the size with every position, the camera and the
# layer doubled is the same picture with four times the pixels: the effect measures its clouds in
# percent of the layer's height.
double_scene() { # double_scene IN OUT
    python3 - "$1" "$2" <<'PY'
import json, sys
scene = json.load(open(sys.argv[1]))
def double(v):
    if isinstance(v, list):
        return [dict(k, v=double(k["v"])) if isinstance(k, dict) else double(k) for k in v]
    if isinstance(v, dict) and "v" in v:
        return dict(v, v=double(v["v"]))
    return v * 2 if isinstance(v, (int, float)) else v
for part in ("composition", "layer"):
    if part in scene:
        scene[part]["width"] *= 2
        scene[part]["height"] *= 2
camera = scene.get("camera") or {}
for key in ("position", "pointOfInterest", "zoom"):
    if key in camera:
        camera[key] = double(camera[key])
if "matrix" in camera:
    camera["matrix"][3] = double(camera["matrix"][3])
for layer in scene.get("layers", []):
    if "position" in layer:
        layer["position"] = double(layer["position"])
json.dump(scene, open(sys.argv[2], "w"))
PY
}

if [ "$what" = all ] || [ "$what" = readme ]; then
    for name in single_white_cloud three_lights_screen sunset_tower ortho_erosion; do
        double_scene "examples/$name.json" "$work/$name.json"
        nice -n 10 "$render" "$work/$name.json" --frames 0 --resolution full --depth 16 -o "$work/$name.png"
        composite "$work/$name.png" -size 960x540 "gradient:$sky" -depth 8 -strip "PNG24:docs/images/$name.png"
        optipng -quiet -o2 -strip all "docs/images/$name.png"
        echo "docs/images/$name.png"
    done
    # Three seconds of the sunset cloud evolving, looped, as an animated WebP.
    rm -f "$work"/evolving_*.png
    nice -n 10 "$render" examples/sunset_tower.json --frames 0-71 --resolution full --depth 8 \
        --set evolutionSpeed=300 -o "$work/evolving_##.png"
    for frame in "$work"/evolving_*.png; do
        composite "$frame" -size 480x270 "gradient:$sky" "PNG24:$frame"
    done
    img2webp -loop 0 -lossy -q 80 -m 6 -d 42 "$work"/evolving_*.png -o docs/images/evolving_cloud.webp >/dev/null
    echo "docs/images/evolving_cloud.webp"
fi

# ---- costs ------------------------------------------------------------------------------------
# One frame of single_white_cloud.json per row, timed by the shell: CPU seconds over all threads
# (steady on a shared machine) and wall-clock seconds (what a user waits, on this many cores).
cost_rows=() default_cpu=''

timed_render() { # timed_render RESOLUTION key=value...: prints "cpu wall size"
    local res=$1 args=() set times wall user sys
    shift
    for set in "$@"; do args+=(--set "$set"); done
    local TIMEFORMAT='%R %U %S'
    times=$( { time nice -n 10 "$render" examples/single_white_cloud.json --resolution "$res" \
        --depth 8 "${args[@]}" -o "$work/cost.png" >/dev/null; } 2>&1 )
    read -r wall user sys <<<"$times"
    awk -v w="$wall" -v u="$user" -v s="$sys" -v size="$(identify -format '%wx%h' "$work/cost.png")" \
        'BEGIN { printf "%.2f %.2f %s\n", u + s, w, size }' # the frames take tenths of a second
}

cost() { # cost CONTROL VALUE RESOLUTION key=value...
    local control=$1 value=$2 res=$3 cpu wall size
    shift 3
    read -r cpu wall size < <(timed_render "$res" "$@")
    [ -z "$default_cpu" ] && default_cpu=$cpu
    echo "cost: $control $value at $size: ${cpu} s CPU, ${wall} s wall"
    cost_rows+=("| $control | $value | $size | $cpu | $wall | $(awk -v c="$cpu" -v d="$default_cpu" 'BEGIN { printf "%.2f", c / d }') |")
}

if [ "$what" = all ] || [ "$what" = costs ]; then
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    cost "(the example as it is)" "" half
    for v in 16 32 128 256; do cost "Quality (Steps)" "$v" half qualitySteps=$v; done
    for v in 1 2 6; do cost "Billow Detail" "$v" half billowDetail=$v; done
    cost "Self Shadow" "0 % (off)" half selfShadow=0
    for r in full third quarter; do cost "Resolution" "$r" "$r"; done

    cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
    commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
    # Pictures and this guide change as the script runs; only changes to the code count here.
    git diff --quiet HEAD -- . ':!docs' 2>/dev/null || commit="$commit (with local changes)"
    table=$(
        echo "<!-- costs:begin (written by scripts/guide.sh costs) -->"
        echo "| control | value | frame | CPU s | wall s | CPU × first row |"
        echo "|---|---|---|---|---|---|"
        printf '%s\n' "${cost_rows[@]}"
        echo
        echo "Measured $(date -u +%Y-%m-%d) on $cpu_model, $(nproc) cores (load average $load before the" \
             "first frame), Linux build (\`linux\` preset, Release, g++ $(g++ -dumpfullversion)) of commit" \
             "$commit; one frame of \`examples/single_white_cloud.json\` each, with the example's" \
             "values but for the one in the row. CPU seconds add up all threads; wall-clock seconds" \
             "depend on how busy the machine was."
        echo "<!-- costs:end -->"
    )
    TABLE=$table awk '
        /<!-- costs:begin/ { print ENVIRON["TABLE"]; skip = 1; next }
        /<!-- costs:end -->/ { skip = 0; next }
        !skip { print }' "$guide" >"$work/guide.md"
    grep -q '<!-- costs:begin' "$guide" || { echo "error: no costs markers in $guide" >&2; exit 1; }
    cp "$work/guide.md" "$guide"
    echo "cost table written to $guide"
fi
