#!/usr/bin/env bash
# Makes the pictures of the README and docs/guide.md and the guide's cost table: renders the
# example scenes through nebulastra-render with one control swept at a time, lays each sweep out as
# a labelled strip over a sky gradient in docs/images/guide/, and times the controls that decide a
# frame's cost, writing the table into the guide between its "costs" markers. The README's four
# pictures and its animation come from the examples scaled to twice their size (readme). The costs
# of whole frames at delivery sizes (1920 x 1080, 3840 x 2160, a sky of 32 clouds) go into the
# guide and docs/reference.md between their "delivery-costs" markers (delivery).
#
# Usage: scripts/guide.sh                 everything
#        scripts/guide.sh strips [NAME...] the strips only (all, or the named ones)
#        scripts/guide.sh costs            the cost table only
#        scripts/guide.sh delivery         the delivery-size cost table only (a few minutes)
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
# The examples are 480 x 270 compositions. Scaled by a whole factor with every position, the
# camera and the layer scaled alike, it is the same picture with more pixels: the effect measures
# its clouds in percent of the layer's height.
scale_scene() { # scale_scene IN OUT FACTOR
    python3 - "$1" "$2" "$3" <<'PY'
import json, sys
scene = json.load(open(sys.argv[1]))
factor = int(sys.argv[3])
def scale(v):
    if isinstance(v, list):
        return [dict(k, v=scale(k["v"])) if isinstance(k, dict) else scale(k) for k in v]
    if isinstance(v, dict) and "v" in v:
        return dict(v, v=scale(v["v"]))
    return v * factor if isinstance(v, (int, float)) else v
for part in ("composition", "layer"):
    if part in scene:
        scene[part]["width"] *= factor
        scene[part]["height"] *= factor
camera = scene.get("camera") or {}
for key in ("position", "pointOfInterest", "zoom"):
    if key in camera:
        camera[key] = scale(camera[key])
if "matrix" in camera:
    camera["matrix"][3] = scale(camera["matrix"][3])
for layer in scene.get("layers", []):
    if "position" in layer:
        layer["position"] = scale(layer["position"])
json.dump(scene, open(sys.argv[2], "w"))
PY
}

if [ "$what" = all ] || [ "$what" = readme ]; then
    for name in single_white_cloud three_lights_screen sunset_tower ortho_erosion; do
        scale_scene "examples/$name.json" "$work/$name.json" 2
        nice -n 10 "$render" "$work/$name.json" --frames 0 --resolution full --depth 16 -o "$work/$name.png"
        composite "$work/$name.png" -size 960x540 "gradient:$sky" -depth 8 -strip "PNG24:docs/images/$name.png"
        optipng -quiet -o2 -strip all "docs/images/$name.png"
        echo "docs/images/$name.png"
    done
    # Three seconds of the sunset cloud evolving at 960 x 540 over the tool's own sky, as an
    # animated WebP that plays forwards and then backwards, so that its loop has no jump: the last
    # frame shown (frame 1) steps to the first (frame 0) like any other.
    rm -f "$work"/evolving_*.png
    scale_scene examples/sunset_tower.json "$work/sunset_tower.json" 2
    nice -n 10 "$render" "$work/sunset_tower.json" --frames 0-71 --resolution full --depth 8 \
        --set evolutionSpeed=300 --background sky -o "$work/evolving_##.png"
    frames=("$work"/evolving_*.png)
    for ((i = ${#frames[@]} - 2; i >= 1; i--)); do frames+=("${frames[$i]}"); done
    img2webp -loop 0 -lossy -q 70 -m 6 -d 42 "${frames[@]}" -o docs/images/evolving_cloud.webp >/dev/null
    echo "docs/images/evolving_cloud.webp: ${#frames[@]} frames"
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

# write_between MARKER FILE: replaces what lies between the file's "<!-- MARKER:begin" and
# "<!-- MARKER:end -->" lines (the markers included) with $TABLE.
write_between() {
    local marker=$1 file=$2
    grep -q "<!-- $marker:begin" "$file" || { echo "error: no $marker markers in $file" >&2; exit 1; }
    TABLE=$table MARKER=$marker awk '
        index($0, "<!-- " ENVIRON["MARKER"] ":begin") { print ENVIRON["TABLE"]; skip = 1; next }
        index($0, "<!-- " ENVIRON["MARKER"] ":end -->") { skip = 0; next }
        !skip { print }' "$file" >"$work/between.md"
    cp "$work/between.md" "$file"
}

# measured_on: the machine, build and commit a table was measured with.
measured_on() {
    local cpu_model commit
    cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
    commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
    # Pictures and the docs change as the script runs; only changes to the code count here.
    git diff --quiet HEAD -- . ':!docs' 2>/dev/null || commit="$commit (with local changes)"
    echo "$(date -u +%Y-%m-%d) on $cpu_model, $(nproc) cores, Linux build (\`linux\` preset, Release," \
         "g++ $(g++ -dumpfullversion)) of commit $commit"
}

if [ "$what" = all ] || [ "$what" = delivery ]; then
    # The default look at delivery sizes: single_white_cloud scaled up, and a sky of 32 clouds
    # (8 x 4 lights at different depths, "Cloud Size" 10) at 1920 x 1080. One frame each at 8 bits;
    # CPU seconds as /usr/bin/time counts them (user + system, all threads).
    scale_scene examples/single_white_cloud.json "$work/cloud_1080.json" 4
    scale_scene examples/single_white_cloud.json "$work/cloud_2160.json" 8
    python3 - "$work/sky_32.json" <<'PY'
import json, sys
lights = []
for row in range(4):
    for column in range(8):
        k = row * 8 + column
        lights.append({"name": "cloud %d" % (k + 1), "type": "light",
                       "position": [150 + column * 232 + (row % 2) * 80, 260 + row * 170,
                                    -300 + ((k * 7) % 5) * 150]})
json.dump({"composition": {"width": 1920, "height": 1080, "frameRate": 24}, "camera": {},
           "layers": lights, "effect": {"cloudSize": 10}}, open(sys.argv[1], "w"))
PY
    delivery_rows=() load=$(cut -d' ' -f1-3 /proc/loadavg)
    for job in "cloud_1080:one cloud (\`single_white_cloud.json\` × 4)" \
               "cloud_2160:one cloud (\`single_white_cloud.json\` × 8)" \
               "sky_32:a sky of 32 clouds"; do
        scene=${job%%:*} label=${job#*:}
        stats=$( { /usr/bin/time -f '%U %S %e' nice -n 10 "$render" "$work/$scene.json" --depth 8 \
            -o "$work/delivery.png" >/dev/null; } 2>&1 | tail -1 )
        read -r user sys wall <<<"$stats"
        size=$(identify -format '%wx%h' "$work/delivery.png")
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", u + s }')
        echo "delivery: $label at $size: $cpu s CPU, $wall s wall"
        delivery_rows+=("| $label | $size | $cpu | $wall |")
    done
    table=$(
        echo "<!-- delivery-costs:begin (written by scripts/guide.sh delivery) -->"
        echo "| frame | size | CPU s | wall s here |"
        echo "|---|---|---|---|"
        printf '%s\n' "${delivery_rows[@]}"
        echo
        echo "Measured $(measured_on) (load average $load before the first frame); one frame each at" \
             "8 bits, CPU seconds (user + system, all threads) from \`/usr/bin/time\`: they vary far" \
             "less with the load than wall-clock seconds, which depend on it; on an idle machine" \
             "with N cores a frame takes about CPU ÷ N." \
             "\`scripts/guide.sh delivery\` measures them again."
        echo "<!-- delivery-costs:end -->"
    )
    write_between delivery-costs "$guide"
    write_between delivery-costs docs/reference.md
    echo "delivery cost table written to $guide and docs/reference.md"
fi

if [ "$what" = all ] || [ "$what" = costs ]; then
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    cost "(the example as it is)" "" half
    for v in 16 32 128 256; do cost "Quality (Steps)" "$v" half qualitySteps=$v; done
    for v in 1 2 6; do cost "Billow Detail" "$v" half billowDetail=$v; done
    cost "Self Shadow" "0 % (off)" half selfShadow=0
    for r in full third quarter; do cost "Resolution" "$r" "$r"; done

    table=$(
        echo "<!-- costs:begin (written by scripts/guide.sh costs) -->"
        echo "| control | value | frame | CPU s | wall s | CPU × first row |"
        echo "|---|---|---|---|---|---|"
        printf '%s\n' "${cost_rows[@]}"
        echo
        echo "Measured $(measured_on) (load average $load before the first frame); one frame of" \
             "\`examples/single_white_cloud.json\` each, with the example's" \
             "values but for the one in the row. CPU seconds add up all threads; wall-clock seconds" \
             "depend on how busy the machine was."
        echo "<!-- costs:end -->"
    )
    write_between costs "$guide"
    echo "cost table written to $guide"
fi
