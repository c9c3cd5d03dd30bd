#!/usr/bin/env bash
# Runs server and client under Xvfb, logs in as the demo user by typing like a user, and saves
# PNGs of the login form, the message shown after the login (with the mouse pointer over it,
# then with the memo's context menu of Qt's own texts), the main window with its tree, a
# collated query page with rows and its print preview, then a sale order entered in 新增销售订单
# (header from the lists, three products from the picker, quantities typed into the grid) and
# saved with its code on the message line, the same order changed in 修改销售订单, verified and
# invalidated; 库存查询 and 销售金额汇总 with its chart; then, in a second client, the store clerk
# (LS / clerk / clerk) enters a daily report with two shirts from the size picker, types their
# sizes (F2) and saves it; the administrator verifies it in 审核销售日报, sums the reports by
# product and size in 销售商品汇总, closes two modules in the close dialog of the eleventh
# module (查询对帐单), and, in a third client, grants a right by key in 用户权限 and opens
# 其他参数 and 操作手册; then a fourth client on a 1920 × 1080 screen (L*.png) and a fifth at
# device pixel ratio 2 (D*.png). The main windows fill their screens.
# Usage: scripts/screenshot.sh [out-dir]   (default: screenshots/; needs a built build/)
# SCREEN=WIDTHxHEIGHT picks the screen (default 1024x768); QT_SCALE_FACTOR=2 draws the client at
# device pixel ratio 2 (the skin's strips are drawn for it).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$top/build}
out=${1:-$top/screenshots}
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
    cp "$work/server.log" "$out/server.log" 2>/dev/null || true
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
shot() { scrot -o -p "$out/$1"; }   # the pointer is part of what the user sees
# A window by its title, waited for at most 30 s: a step that went wrong stops the run with the
# screen as it was (stuck.png) instead of waiting for ever.
find_window() {
    local id
    id=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -n 1) || true
    if [ -z "$id" ]; then
        echo "screenshot.sh: no window \"$1\" within 30 s; see $out/stuck.png" >&2
        shot stuck.png
        return 1
    fi
    echo "$id"
}

"$build/bin/corvo-server" init-demo --db "sqlite:$work/demo.db" >/dev/null
"$build/bin/corvo-server" serve --listen 127.0.0.1:0 --db "sqlite:$work/demo.db" \
    > "$work/server.out" 2> "$work/server.log" &
pids+=($!)
for _ in $(seq 1 100); do
    grep -q '^listening on' "$work/server.out" 2>/dev/null && break
    sleep 0.1
done
hostport=$(sed -n 's|^listening on http://\([^/]*\)/.*|\1|p' "$work/server.out")

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 "${SCREEN:-1024x768}x24" -nolisten tcp &
pids+=($!)
export DISPLAY=$display
sleep 1

export CORVO_HOME=$work/client
"$build/bin/corvo" setup --server "$hostport" >/dev/null
"$build/bin/corvo" &
pids+=($!)

# The demo administrator's login typed into a fresh client's login form, as a user does:
# organisation, Tab, user, Tab, password, the picture, then Enter to the log-in button and the
# space bar to press it.
key_login() {
    window=$(find_window "用户登陆")
    xdotool windowfocus --sync "$window"
    sleep 0.5
    xdotool type --delay 60 "demo"
    xdotool key Tab
    xdotool type --delay 60 "admin"
    xdotool key Tab
    xdotool type --delay 60 "admin"
    sleep 0.3
    shot "$1"
    xdotool key Return
    xdotool key space
}

key_login 1-login.png
message=$(find_window "提示信息")
eval "$(xdotool getwindowgeometry --shell "$message")"
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 3))   # over the memo
sleep 1
shot 2-messages.png
xdotool click 3      # the memo's context menu: Qt's own texts
sleep 0.7
shot 2b-messages-menu.png
xdotool key Escape   # closes the menu; Esc closes no form
sleep 0.3
xdotool windowfocus --sync "$message"
xdotool key Return   # closes the message ("关闭" is its default button)
sleep 1.5
shot 3-main-window.png

# The module 查询仓库: the group 仓库 is expanded in the tree, then the module clicked.
main=$(xdotool search --onlyvisible --name "^Corvo$" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$main")"
# The main window's content lies inside its painted frame: 30 pixels of caption above, 5 of
# edge on the other sides; the clicks below are placed for that.
row() { echo $((Y + 155 + 18 * $1)); }   # the tree's rows, 18 pixels apart
xdotool mousemove --sync $((X + 53)) "$(row 3)" click 1   # the arrow of 仓库
sleep 0.5
xdotool mousemove --sync $((X + 120)) "$(row 6)" click 1  # 新增仓库, 修改仓库, then 查询仓库
sleep 1.5
xdotool key alt+q    # 查询(&Q)
sleep 1.5
shot 4-collated-query.png
xdotool key alt+p    # 打印(&P): the print preview
sleep 2
shot 5-print-preview.png
xdotool key Escape
sleep 0.5

# 新增销售订单: 销售管理 and its sub-group 销售订单 expanded below the open 仓库 group.
xdotool mousemove --sync $((X + 33)) "$(row 10)" click 1   # the arrow of 销售管理
sleep 0.5
xdotool mousemove --sync $((X + 53)) "$(row 13)" click 1   # the arrow of 销售订单
sleep 0.5
xdotool mousemove --sync $((X + 130)) "$(row 14)" click 1  # 新增销售订单
sleep 1.5
# The header: a customer, a warehouse, a salesman and a sale type, each the first entry of
# its list opened by the box's drop-down button.
choose() {   # x y of the drop-down button
    xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
    sleep 0.6
    xdotool mousemove --sync $((X + $1 + 40)) $((Y + $2 + 22)) click 1
    sleep 0.4
}
choose 387 246   # 客户: 上海东方百货有限公司
choose 586 246   # 发货仓库
choose 786 246   # 业务员
choose 387 276   # 销售方式
xdotool mousemove --sync $((X + 937)) $((Y + 250)) click 1   # 备注
xdotool type --delay 60 "screenshot order"
sleep 0.3
shot 6-insert-order.png
xdotool mousemove --sync $((X + 576)) $((Y + 719)) click 1   # 新清单: the product picker
sleep 1.5
shot 7-product-picker.png
xdotool mousemove --sync $((X + 180)) $((Y + 179)) click 1            # the first product
xdotool mousemove --sync $((X + 180)) $((Y + 201)) keydown ctrl click 1 keyup ctrl
xdotool mousemove --sync $((X + 180)) $((Y + 223)) keydown ctrl click 1 keyup ctrl
sleep 0.3
xdotool mousemove --sync $((X + 346)) $((Y + 567)) click 1            # 确定
sleep 1
for line in 0 1 2; do   # a quantity typed into each line: the key opens the cell, Enter ends it
    xdotool mousemove --sync $((X + 572)) $((Y + 352 + 18 * line)) click 1
    sleep 0.3
    xdotool type --delay 60 "$((line + 2))"
    xdotool key Return
    sleep 0.3
done
shot 8-order-lines.png
xdotool mousemove --sync $((X + 891)) $((Y + 719)) click 1            # 保存
sleep 1.5
shot 9-order-saved.png

# 修改销售订单: this month's orders queried, the new one picked, a line changed and saved.
xdotool mousemove --sync $((X + 140)) "$(row 15)" click 1
sleep 1.5
xdotool mousemove --sync $((X + 269)) $((Y + 719)) click 1            # 查询
sleep 1.5
shot 10-update-order-list.png
xdotool mousemove --sync $((X + 270)) $((Y + 225)) click 1            # the order just saved
sleep 1
xdotool mousemove --sync $((X + 676)) $((Y + 388)) click 1            # its first line's quantity
sleep 0.3
xdotool type --delay 60 "5"
xdotool key Return
sleep 0.5
shot 11-update-order-changed.png
xdotool mousemove --sync $((X + 891)) $((Y + 719)) click 1            # 保存
sleep 1.5
shot 12-update-order-saved.png
# 审核销售订单: this month's new orders, the one just saved among them.
xdotool mousemove --sync $((X + 140)) "$(row 17)" click 1
sleep 1.5
xdotool key alt+q    # 查询(&Q)
sleep 1.5
shot 13-verify-order-list.png
last_row() {   # the result's last row, the highest code: the order saved above
    xdotool mousemove --sync $((X + 300)) $((Y + 355)) click 1
    xdotool key ctrl+End
    sleep 0.5
}
operation() { xdotool mousemove --sync $((X + 806)) $((Y + 719)) click 1; sleep 1.5; }
last_row
operation            # 审核(&P)
shot 14-verify-order-done.png

# 作废销售订单: every valid order, the one just verified invalidated.
xdotool mousemove --sync $((X + 140)) "$(row 18)" click 1
sleep 1.5
xdotool key alt+a    # 全部(&A)
sleep 1.5
last_row
shot 15-invalidate-order-list.png
operation            # 作废(&P)
shot 16-invalidate-order-done.png

# 统计报表: 库存查询 with the sizes of every type stacked in its titles, then 销售金额汇总
# with its chart. The tree as left above: 基础资料 with 仓库 and 销售管理 with
# 销售订单 open, so 财务管理 is row 22 and 统计报表 row 23.
xdotool mousemove --sync $((X + 33)) "$(row 23)" click 1   # the arrow of 统计报表
sleep 0.5
xdotool mousemove --sync $((X + 120)) "$(row 24)" click 1  # 库存查询
sleep 1.5
xdotool key alt+q    # 查询(&Q): the first warehouse
sleep 2
shot 16b-stock-query.png
xdotool mousemove --sync $((X + 120)) "$(row 25)" click 1  # 销售金额汇总
sleep 1.5
xdotool key alt+q    # 查询(&Q): yesterday's sales, the chart beside the rows
sleep 2
shot 16c-sales-summary.png


# Another client logged in (organisation, user, password): without a window manager its login
# window does not take the keyboard by itself, so each box is clicked, and the user code an
# earlier client left in the local files is replaced. Sets `client` to its main window.
client_login() {
    local others
    others=$(xdotool search --onlyvisible --name "^Corvo$" | tr '\n' ' ') || true
    "$build/bin/corvo" &
    pids+=($!)
    window=$(find_window "用户登陆")
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --sync $((X + 314)) $((Y + 93)) click 1
    xdotool key ctrl+a; xdotool type --delay 60 "$1"
    xdotool mousemove --sync $((X + 314)) $((Y + 123)) click 1
    xdotool key ctrl+a; xdotool type --delay 60 "$2"
    xdotool mousemove --sync $((X + 314)) $((Y + 153)) click 1
    xdotool key ctrl+a; xdotool type --delay 60 "$3"
    sleep 0.3
    [ -z "${4:-}" ] || shot "$4"
    xdotool mousemove --sync $((X + 274)) $((Y + 194)) click 1   # 登陆
    sleep 2   # a store's messages may all be in the banner: the dialog is closed when shown
    message=$(xdotool search --onlyvisible --name "提示信息" | head -n 1) || true
    if [ -n "$message" ]; then
        eval "$(xdotool getwindowgeometry --shell "$message")"
        xdotool mousemove --sync $((X + 8)) $((Y + 8)) click 1
        xdotool key Return
        sleep 1.5
    fi
    client=""
    for w in $(xdotool search --onlyvisible --name "^Corvo$"); do
        [[ " $others " == *" $w "* ]] || client=$w
    done
    [ -n "$client" ] || { echo "screenshot.sh: the login of $2 opened no main window" >&2; shot stuck.png; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$client")"
}

# A daily report with sizes, entered by the store clerk (LS / clerk / clerk) in a second client.
# Nothing raises a new client's windows without a window manager: the administrator's window
# is unmapped while the clerk works.
admin=$main
xdotool windowunmap --sync "$admin"
client_login ls clerk clerk 17a-clerk-login.png
xdotool mousemove --sync $((X + 53)) "$(row 1)" click 1    # the arrow of 销售日报
sleep 0.5
xdotool mousemove --sync $((X + 130)) "$(row 2)" click 1   # 新增销售日报
sleep 2
choose 786 217   # 出库类型
choose 387 247   # 销售门店
choose 586 247   # 销售人员
choose 786 247   # 销售方式
xdotool mousemove --sync $((X + 536)) $((Y + 719)) click 1            # 新清单: the size picker
sleep 2
xdotool mousemove --sync $((X + 300)) $((Y + 211)) click 1            # two shirts
xdotool mousemove --sync $((X + 300)) $((Y + 233)) keydown ctrl click 1 keyup ctrl
sleep 0.3
shot 17-size-picker.png
xdotool mousemove --sync $((X + 777)) $((Y + 586)) click 1            # 确定
sleep 1.5
xdotool key F2       # the last line's sizes: S 1, M 2, L 2
sleep 1
for n in 1 2 2; do xdotool type --delay 80 "$n"; xdotool key Tab; done
sleep 0.3
shot 18-size-entry.png
xdotool key Return; sleep 0.3; xdotool key Return; sleep 1
xdotool key Up
xdotool key F2       # the first line's: M 3, L 1
sleep 1
xdotool key Tab; xdotool type --delay 80 "3"; xdotool key Tab; xdotool type --delay 80 "1"
xdotool key Return; sleep 0.3; xdotool key Return; sleep 1
shot 19-daily-report-sizes.png
xdotool mousemove --sync $((X + 891)) $((Y + 719)) click 1            # 保存
sleep 1.5
shot 20-daily-report-saved.png
kill "${pids[-1]}"
sleep 1

# Back in the administrator's window, the tree folded by "--" before each step: 销售管理 >
# 销售日报 > 审核销售日报 lists the clerk's new report, which is verified; 统计报表 >
# 销售商品汇总 sums the reports by product; 系统管理 holds 用户权限 (a right granted by key: a
# module picked in the grid, Insert grants it to the user picked in the rights tree, then saved),
# 其他参数 and 操作手册.
xdotool windowmap --sync "$admin"
eval "$(xdotool getwindowgeometry --shell "$admin")"
fold() { xdotool mousemove --sync $((X + 207)) $((Y + 127)) click 1; sleep 0.5; }
fold
xdotool mousemove --sync $((X + 33)) "$(row 1)" click 1    # the arrow of 销售管理
sleep 0.5
xdotool mousemove --sync $((X + 53)) "$(row 2)" click 1    # the arrow of 销售日报
sleep 0.5
xdotool mousemove --sync $((X + 140)) "$(row 6)" click 1   # 审核销售日报
sleep 1.5
xdotool key alt+q    # 查询(&Q)
sleep 1.5
last_row
shot 21-verify-daily-list.png
xdotool mousemove --sync $((X + 806)) $((Y + 719)) click 1   # 审核(&V)
sleep 1.5
shot 22-verify-daily-done.png
fold
xdotool mousemove --sync $((X + 33)) "$(row 4)" click 1    # the arrow of 统计报表
sleep 0.5
xdotool mousemove --sync $((X + 120)) "$(row 7)" click 1   # 销售商品汇总
sleep 1.5
xdotool key alt+q    # 查询(&Q)
sleep 2
shot 23-size-summary.png

# 财务管理 > 对帐单 > 查询对帐单, the eleventh module: the window asks which modules to close.
# Two are marked (a click, then a click with Ctrl) and "确定" closes them and opens the new one.
fold
xdotool mousemove --sync $((X + 33)) "$(row 3)" click 1    # the arrow of 财务管理
sleep 0.5
xdotool mousemove --sync $((X + 53)) "$(row 6)" click 1    # the arrow of 对帐单
sleep 0.5
xdotool mousemove --sync $((X + 120)) "$(row 7)" click 1   # 查询对帐单
sleep 1.5
closing=$(xdotool search --onlyvisible --name "请关闭部分窗口" | head -n 1) || true
if [ -n "$closing" ]; then
    eval "$(xdotool getwindowgeometry --shell "$closing")"
    shot 24-close-modules.png
    xdotool mousemove --sync $((X + 60)) $((Y + 54)) click 1                          # the 2nd
    xdotool mousemove --sync $((X + 60)) $((Y + 94)) keydown ctrl click 1 keyup ctrl  # the 4th
    sleep 0.3
    shot 24b-close-modules-marked.png
    xdotool mousemove --sync $((X + 111)) $((Y + 466)) click 1   # 确定
    sleep 1.5
    eval "$(xdotool getwindowgeometry --shell "$admin")"
    shot 24c-close-modules-closed.png
fi
# 系统管理 in a new administrator's client (ten modules are open in the first): 用户权限 with a
# right granted by key (a user picked in the rights tree, a module in the grid, Insert grants
# it) and saved, then 其他参数 and 操作手册.
kill "${pids[2]}"
sleep 1
client_login demo admin admin
xdotool mousemove --sync $((X + 207)) $((Y + 127)) click 1; sleep 0.5   # --
xdotool mousemove --sync $((X + 33)) "$(row 5)" click 1    # the arrow of 系统管理
sleep 0.5
xdotool mousemove --sync $((X + 110)) "$(row 6)" click 1   # 用户权限
sleep 2
shot 25-user-rights.png
xdotool mousemove --sync $((X + 282)) $((Y + 206)) click 1  # 李娜 in the rights tree
xdotool mousemove --sync $((X + 490)) $((Y + 301)) click 1  # 新增商品 in the grid
xdotool key Insert                                          # granted to her
sleep 0.5
xdotool mousemove --sync $((X + 234)) $((Y + 206)) click 1  # her rights unfolded
sleep 0.5
shot 26-user-rights-granted.png
xdotool mousemove --sync $((X + 891)) $((Y + 719)) click 1  # 保存
sleep 1.5
shot 27-user-rights-saved.png
xdotool mousemove --sync $((X + 110)) "$(row 7)" click 1   # 其他参数
sleep 1.5
shot 28-other-parameters.png
xdotool mousemove --sync $((X + 110)) "$(row 11)" click 1  # 操作手册
sleep 1.5
shot 29-manual.png

# The same program on a 1920 × 1080 screen (a second Xvfb): an administrator's client fills it,
# 查询仓库 with its rows and 新增销售订单 spread over the wide window, "关闭" at its right edge.
large=:$((200 + RANDOM % 100))
Xvfb "$large" -screen 0 1920x1080x24 -nolisten tcp &
pids+=($!)
export DISPLAY=$large
sleep 1
client_login demo admin admin
shot L1-main-window.png
xdotool mousemove --sync $((X + 53)) "$(row 3)" click 1    # the arrow of 仓库
sleep 0.5
xdotool mousemove --sync $((X + 120)) "$(row 6)" click 1   # 查询仓库
sleep 1.5
xdotool key alt+q    # 查询(&Q)
sleep 1.5
shot L2-collated-query.png
xdotool mousemove --sync $((X + 33)) "$(row 10)" click 1   # the arrow of 销售管理
sleep 0.5
xdotool mousemove --sync $((X + 53)) "$(row 13)" click 1   # the arrow of 销售订单
sleep 0.5
xdotool mousemove --sync $((X + 130)) "$(row 14)" click 1  # 新增销售订单
sleep 1.5
shot L3-insert-order.png

# Device pixel ratio 2 (a third Xvfb, 2048 × 1536, QT_SCALE_FACTOR=2): the login form and the
# main window with the skin's strips drawn for that ratio. A client of its own folder, logged in
# by keys as the first one was, since keys do not move with the scale.
hidpi=:$((300 + RANDOM % 100))
Xvfb "$hidpi" -screen 0 2048x1536x24 -nolisten tcp &
pids+=($!)
export DISPLAY=$hidpi
sleep 1
export CORVO_HOME=$work/client-hidpi
"$build/bin/corvo" setup --server "$hostport" >/dev/null
QT_SCALE_FACTOR=2 "$build/bin/corvo" &
pids+=($!)
key_login D1-login.png
message=$(find_window "提示信息")
xdotool windowfocus --sync "$message"
xdotool key Return
sleep 1.5
shot D2-main-window.png

echo "saved in $out:" $(cd "$out" && ls -- *.png | sort -V)
