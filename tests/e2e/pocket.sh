# Sourced by run-e2e: CONT, a year typed into a new document (Esc must not drop it), viscosity of He with Ar
# (documents 22 and 27 of sample/ba0), both hits into the pocket, the report saved as rich text and reopened
# read-only (Delete must not close the editor), out with a save. Checks the report, "ba0" and its backup.

# The text of a rich-text file, in UTF-8: control words dropped, \par as a line break, \'xx as the
# Windows-1251 byte, \uN by its fallback character.
rtf_text() {
    perl -0777 -ne '
        s/\r?\n/\x01/g;    # line breaks in the file mean nothing
        s/\{\\(?:fonttbl|colortbl|stylesheet|\*)(?:[^{}]|\{[^{}]*\})*\}//g;
        s/\\([\\{}])/"\x02".ord($1)."\x02"/ge;
        s/\\u-?\d+ ?//g;
        s/\\par(?![a-z]) ?/\n/g;
        s/\\\x27([0-9a-fA-F]{2})/"\x03".hex($1)."\x03"/ge;
        s/\\[a-zA-Z]+-?\d* ?//g;
        s/\\[^a-zA-Z]//g;
        s/[{}\x01]//g;
        s/[\x02\x03](\d+)[\x02\x03]/chr($1)/ge;
        print;
    ' "$1" | iconv -f WINDOWS-1251 -t UTF-8
}

report="$work/pocket.rtf"
title=$(basename "$program")  # the editor's caption ends with it

begin "starting the program"
(cd "$work" && exec "$program") >"$out/kaldex.log" 2>&1 &
pid=$!
start=$(window '^KALDEX$')
shot 1-start

begin "CONT in the start window"
click "$start" 400 189
search=$(window '^base$')

begin "Esc in the entry window keeps it and what was typed"
click "$search" 81 311       # "Add"
entry=$(window '^add_doc$')
click "$entry" 93 469        # "Year"
type_text 1999
xdotool key Escape
sleep 0.5
visible '^add_doc$' || fail "Esc closed the entry window"
click "$entry" 553 384       # "OK"
wait_until "the entry window to close" gone '^add_doc$'

begin "search for viscosity of He with Ar"
click "$search" 126 20       # "Visc"
click "$search" 185 259      # "Sub1+Sub2"
click "$search" 290 253      # first substance
type_text He
click "$search" 290 277      # second substance
type_text Ar
shot 2-search
click "$search" 300 426      # "Find"
viewer=$(window '^Find$')

begin "both hits into the pocket in the viewer"
click "$viewer" 307 406      # "Add": the first hit
click "$viewer" 262 380      # the up arrow: the next hit
click "$viewer" 307 406      # "Add"
shot 3-viewer
click "$viewer" 549 335      # "OK"
wait_until "the viewer to close" gone '^Find$'

begin "View  in the search window"
click "$search" 599 138      # "View "
editor=$(window '^Untitled - ')
shot 4-editor

begin "File > Save As in the pocket editor"
windows=$(visible_count)
click "$editor" 400 300      # into the text, so the keys reach the editor
xdotool key alt+f
wait_until "the File menu" more_windows_than "$windows"
xdotool key a
dialog=$(window '^Save As$')
xdotool windowfocus --sync "$dialog"
type_text "$work/pocket"     # the dialog adds the extension
shot 5-save-dialog
xdotool key Return
wait_until "the editor to take the saved file's name" visible '^pocket\.rtf - '

begin "Delete in a read-only editor and after a dismissed menu"
click "$editor" 420 310       # a new point: --sync waits for the pointer to move
xdotool key alt+f
sleep 0.3                    # the menu opens
xdotool key o
dialog=$(window '^Open$')
xdotool windowfocus --sync "$dialog"
type_text "$report"
xdotool key alt+r            # "Open as read-only"
shot 6-open-dialog
xdotool key Return
wait_until "the open dialog to close" gone '^Open$'
click "$editor" 440 320
xdotool key Delete alt+f
sleep 0.3
xdotool key Escape Delete
sleep 0.5
visible '^pocket\.rtf - ' || fail "Delete closed the pocket editor"

begin "OK in the pocket editor"
eval "$(xdotool getwindowgeometry --shell "$editor")"
# The menu bar sits above the layout's client area: count from the bottom.
click "$editor" 54 $((HEIGHT - 541 + 500))
wait_until "the editor to close" gone " - $title\$"

begin "OK in the search window (saves the entered document)"
click "$search" 81 347
wait_until "the search window to close" gone '^base$'

begin "OK in the start window"
click "$start" 83 189
wait_until "the program to end" ended
program_status=0
wait "$pid" || program_status=$?
pid=""
[[ $program_status -eq 0 ]] || fail "the program ended with status $program_status"

# ---------------------------------------------------------------------------
begin "checking the database file"
backups=$(cd "$work" && { compgen -G 'b*_0' || true; })
[[ $backups == b*_0 && $backups != *' '* ]] || fail "expected one backup of the day, found: $backups"
cmp -s "$fixture" "$work/$backups" || fail "the backup differs from the database before the run"
[[ $(documents "$work/ba0") -eq $(($(documents "$fixture") + 1)) ]] || fail "ba0 lacks the entered document"
grep -q '@1999@0@0@0' "$work/ba0" || fail "the year typed before Esc was lost"
files=$(find "$work" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')
[[ $files == "$backups ba0 pocket.rtf " ]] || fail "the working folder holds: $files(expected ba0, the backup and pocket.rtf)"

begin "checking the saved report"
[[ $(head -c 5 "$report") == '{\rtf' ]] || fail "pocket.rtf does not start with {\\rtf"
text=$(rtf_text "$report")
printf '%s\n' "$text" >"$out/pocket.txt"
# Each line with the number of times it must appear.
while IFS='|' read -r times line; do
    found=$(grep -cxF -- "$line" <<<"$text" || true)
    [[ $found -eq $times ]] || fail "pocket.rtf has \"$line\" $found times, expected $times (its text is in $out/pocket.txt)"
done <<'LINES'
2|$$                              KALDEX
1|    Номер документа= 22
1|    Номер документа= 27
1| Конец документа 22
1| Конец документа 27
1| Kestin J., Knierim K., Mason E.A.
1|  Первое вещество: :  He  Второе: Ne Третье: Ar Четвертое : Kr Пятое: Xe
1|Kestin J., Knierim K., Mason E.A., Najafi B., Ro S.T., Waldman M. Equilibrium and transport properties
1|P. 229–303.
1| Kestin J., Wakeham W.A., Watanabe K.
LINES
# Pocket order: the first hit's block comes first.
first=$(grep -nxF '    Номер документа= 22' <<<"$text" | cut -d: -f1)
second=$(grep -nxF '    Номер документа= 27' <<<"$text" | cut -d: -f1)
((first < second)) || fail "the pocket report lists document 27 before 22"

