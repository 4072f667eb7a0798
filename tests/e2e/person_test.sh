#!/usr/bin/env bash
# The program as a person meets it: build/tarvolin, started as the README says,
# on an X server (Xvfb), driven with xdotool and checked with sqlite3 after
# each step. Texts of the window are read as a person copies them (the X
# selection, through clipboard_text); screenshots go to the output folder.
#
#   person_test.sh <tarvolin> <source dir> <output dir> <clipboard_text>
#
# 1. Authorizing: the current row, a selection, a cancelled question, a
#    search after one that found nothing, searches typed in another case than
#    the stored Spanish names. The question's buttons are Spanish ("S" answers
#    "Sí"); ESC ends the program with status 0 and nothing on stderr but Qt's
#    own notices. The password given on the command line is never in the
#    process list, the error log or the statement log.
# 2. More than ten thousand pages: the window opens showing every column; the
#    page label of the last page reads whole; at the window's minimum size the
#    grid scrolls to its last column and the page buttons still work beside
#    their label.
# 3. A file that is not the program's database: one message, one line in the
#    error log, the program ends, and the file is byte for byte as it was.
#
# Exits 77 (skipped) only when Xvfb or xdotool is missing. Window positions
# are those of the fonts scripts/setup installs.
set -euo pipefail

programa=$1
fuentes=$2
salida=$3
portapapeles=$4

for herramienta in Xvfb xdotool; do
  if ! command -v "$herramienta" >/dev/null; then
    echo "SKIP: $herramienta is not installed"
    exit 77
  fi
done
for herramienta in sqlite3 import convert compare xprop hostname cmp; do
  command -v "$herramienta" >/dev/null || { echo "FAIL: $herramienta is not installed"; exit 1; }
done
[ -x "$programa" ] || { echo "FAIL: $programa is missing: scripts/test builds it (cmake --build build --target tarvolin)"; exit 1; }

mkdir -p "$salida"
tmp=$(mktemp -d)
xvfb_pid=
programa_pid=
limpia() {
  [ -n "$programa_pid" ] && kill "$programa_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap limpia EXIT

falla() {
  echo "FAIL: $*"
  if [ -n "${DISPLAY:-}" ]; then import -window root "$salida/person_failure.png" 2>/dev/null || true; fi
  exit 1
}

# Waits up to 60 s for a command to succeed, polling.
espera() {
  local descripcion=$1
  shift
  for _ in $(seq 600); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  falla "timed out waiting for $descripcion"
}

# ---- The X server ---------------------------------------------------------------------------
exec 3> "$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
espera "the X server" test -s "$tmp/display"
export DISPLAY=":$(head -1 "$tmp/display")"
export QT_QPA_PLATFORM=xcb
pc=$(hostname)

# ---- Starting and ending the program -------------------------------------------------------
# Starts the program on a database as the README does, with its own
# application folder ($TARVOLIN_HOME) and statement log, and a password.
clave='Clave-De-Prueba-7'
arranca() {
  local db=$1 nombre=$2
  export TARVOLIN_HOME="$tmp/$nombre"
  export TARVOLIN_SQL_LOG="$tmp/$nombre.sql.log"
  mkdir -p "$TARVOLIN_HOME"
  errores="$tmp/$nombre.stderr"
  "$programa" "@server=local;@dbname=$db;@usuario=tester;@Password=$clave;" >"$tmp/$nombre.stdout" 2>"$errores" &
  programa_pid=$!
}

# The password is not in the process list while the program runs.
sin_clave_en_procesos() {
  local linea
  linea=$(tr '\0' ' ' < "/proc/$programa_pid/cmdline")
  case "$linea" in
    *"$clave"*) falla "the process list shows the password: $linea" ;;
    *"@dbname="*) ;;
    *) falla "the process list shows no command line: $linea" ;;
  esac
  echo "ok: the process list shows no password ($linea)"
}

# The window, once it is up; the person clicks into it, which is what giving
# it the focus does here (there is no window manager to hand it the keyboard).
espera_ventana_principal() {
  ventana=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tarvolin$' | head -1) || falla "no window"
  [ -n "$ventana" ] || falla "no window"
  xdotool windowfocus --sync "$ventana"
}

# Waits for the program to end; its exit status goes to $estado.
espera_fin() {
  espera "the program to end" bash -c "! kill -0 $programa_pid 2>/dev/null"
  set +e
  wait "$programa_pid"
  estado=$?
  set -e
  programa_pid=
}

# ESC leaves: status 0, and nothing on stderr but Qt's own notices.
sale_con_esc() {
  local paso=$1
  xdotool key Escape
  espera_fin
  [ "$estado" -eq 0 ] || { cat "$errores"; falla "$paso: the program ended with status $estado"; }
  if grep -v -E '^(QStandardPaths: |qt\.)' "$errores" >"$tmp/no_de_qt"; then
    cat "$tmp/no_de_qt"
    falla "$paso: the program wrote on stderr"
  fi
  echo "ok: $paso: ESC ends the program with status 0 and a quiet stderr"
}

# The grid's row of column titles as it looks now (a strip of the window).
franja_titulos() {
  import -window "$ventana" "$tmp/ventana.png"
  convert "$tmp/ventana.png" -crop 4000x12+0+122 +repage "$1"
}

# Whether End, in the grid, scrolls it: the titles move only when some column
# is out of view. The person clicks the first row's first cell, presses End,
# then Home to go back to the first column.
end_desplaza() {
  xdotool mousemove --window "$ventana" 60 146 click 1  # the first row's first cell
  sleep 0.3
  franja_titulos "$tmp/antes.png"
  xdotool key End
  sleep 0.5
  franja_titulos "$tmp/despues.png"
  xdotool key Home
  sleep 0.5
  [ "$(compare -metric AE "$tmp/antes.png" "$tmp/despues.png" null: 2>&1 || true)" != 0 ]
}

# The text a person selected last (as a middle click would paste it).
seleccion() { ASAN_OPTIONS=detect_leaks=0 timeout 10 "$portapapeles" selection 2>/dev/null || true; }

# ---- 1. Authorizing ----------------------------------------------------------------------------
db="$tmp/empresa.db"
sqlite3 "$db" < "$fuentes/db/schema.sql"
sqlite3 "$db" <<'SQL'
INSERT INTO ta_usuarios (nombre, Administrador) VALUES ('tester', 0);
INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('PIVA', '21');
INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, OBSERVACIONES, BLOQUEADA) VALUES
  (11, 'NP', '0001-00000011', '2024-01-11 00:00:00', '2024-02-11 00:00:00', 'Ana', 111, 'Saldo vencido', 1),
  (12, 'NP', '0001-00000012', '2024-01-12 00:00:00', '2024-02-12 00:00:00', 'Beto', 112, 'Saldo vencido', 1),
  (13, 'NP', '0001-00000013', '2024-01-13 00:00:00', '2024-02-13 00:00:00', 'Carla', 113, 'Cheque rechazado', 1),
  (14, 'NP', '0001-00000014', '2024-01-14 00:00:00', '2024-02-14 00:00:00', 'Dario', 114, 'Límite', 1),
  (15, 'NP', '0001-00000015', '2024-01-15 00:00:00', '2024-02-15 00:00:00', 'Elena', 115, 'Límite', 1),
  (18, 'NP', '0001-00000018', '2024-01-18 00:00:00', '2024-02-18 00:00:00', 'Irene', 118, 'Límite', 1),
  (19, 'NP', '0001-00000019', '2024-01-19 00:00:00', '2024-02-19 00:00:00', 'PEÑA HNOS.', 9419.25, 'Límite', 1),
  (20, 'NP', '0001-00000020', '2024-01-20 00:00:00', '2024-02-20 00:00:00', 'Álvarez e Hijos', 120, 'Límite', 1),
  (16, 'NP', '0001-00000016', '2024-01-16 00:00:00', '2024-02-16 00:00:00', 'Fabio', 116, '', 0),
  (17, 'FC', 'A000100000017', '2024-01-17 00:00:00', '2024-02-17 00:00:00', 'Gala', 117, 'Auditoría', 1);
INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, Usuario, PC, SYSTEMUSER)
  VALUES ('NP  ', '0001-00000011', 0, 'A', '2024-01-11 09:00:00', 'ana', 'CAJA1', '');
SQL
cp "$db" "$tmp/antes.db"

q() { sqlite3 "$db" "$1"; }

# The orders whose row differs from the start, as "ID|BLOQUEADA|OBSERVACIONES".
cambiadas() {
  q "ATTACH '$tmp/antes.db' AS antes;
     SELECT ID, BLOQUEADA, OBSERVACIONES FROM main.V_MV_CPTE
     WHERE ID NOT IN (SELECT a.ID FROM antes.V_MV_CPTE a JOIN main.V_MV_CPTE m USING (ID)
                      WHERE a.TC IS m.TC AND a.IDCOMPROBANTE IS m.IDCOMPROBANTE AND a.FECHA IS m.FECHA
                        AND a.NOMBRE IS m.NOMBRE AND a.IMPORTE IS m.IMPORTE
                        AND a.OBSERVACIONES IS m.OBSERVACIONES AND a.BLOQUEADA IS m.BLOQUEADA)
     ORDER BY ID;"
}
# The action records written since the start.
acciones() {
  q "SELECT TC, IdComprobante, IdComplemento, Tipo_accion, Usuario, PC, SYSTEMUSER, NUMEROASIENTO
     FROM V_MV_CPTEACCIONES WHERE ID > 1 ORDER BY ID;"
}
accion() { echo "NP  |$1|0|AO|tester|$pc||0"; }

comprueba() {
  local paso=$1 esperadas=$2 acciones_esperadas=$3
  [ "$(cambiadas)" = "$esperadas" ] || falla "$paso: orders changed: $(cambiadas | tr '\n' ' ') expected: $(echo "$esperadas" | tr '\n' ' ')"
  [ "$(acciones)" = "$acciones_esperadas" ] || falla "$paso: action records: $(acciones | tr '\n' ' ')"
  [ "$(q "SELECT COUNT(*) FROM V_MV_CPTEACCIONES WHERE ID = 1 AND Tipo_accion = 'A'")" = 1 ] || falla "$paso: old record changed"
  echo "ok: $paso"
}

desbloqueada() { [ "$(q "SELECT BLOQUEADA FROM V_MV_CPTE WHERE ID = $1")" = 0 ]; }
pregunta_visible() { xdotool search --onlyvisible --name '^Atención!$' >/dev/null 2>&1; }
pregunta_cerrada() { ! pregunta_visible; }

tiene_foco() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# A person answers the question once it is up and has the keyboard.
espera_pregunta() {
  espera "the question" pregunta_visible
  espera "the question to have the keyboard" tiene_foco "$(xdotool search --onlyvisible --name '^Atención!$' | head -1)"
}

# After an authorization the list is loaded again: the page query follows the
# last action record, and the history of the current row follows the page.
lista_cargada() {
  awk '/INSERT INTO V_MV_CPTEACCIONES/ {ins = NR} /AS Paginacion/ {pag = NR} END {exit !(pag > ins)}' "$TARVOLIN_SQL_LOG" &&
    tail -1 "$TARVOLIN_SQL_LOG" | grep -q '^SELECT TC,IDCOMPROBANTE,IDCOMPLEMENTO,TIPO_ACCION'
}

# The person goes on once the window is back in front of him with the keyboard.
espera_ventana() {
  espera "the question to close" pregunta_cerrada
  espera "the window to have the keyboard back" tiene_foco "$ventana"
}

# The first page of the list is loaded.
lista_cargada_al_abrir() { grep -q 'AS Paginacion' "$TARVOLIN_SQL_LOG" 2>/dev/null; }

arranca "$db" autoriza
espera_ventana_principal
espera "the list to be loaded" lista_cargada_al_abrir
import -window root "$salida/person_start.png"
sin_clave_en_procesos

# 1.1 F2, then "S": the question's buttons are Spanish ("&Sí" answers to S,
#     which an English "&Yes" would not): the current row, the first order.
xdotool key F2
espera_pregunta
import -window root "$salida/person_question.png"
xdotool key s
espera "order 11 released by answering S (Sí)" desbloqueada 11
espera_ventana
espera "the list to be loaded again" lista_cargada
comprueba "F2 then S (Sí) authorizes the current order" "11|0|" "$(accion 0001-00000011)"

# 1.2 Three rows selected with Shift+Down twice in the grid, F2, Enter (Sí is
#     the default button).
xdotool key shift+Down shift+Down
xdotool key F2
espera_pregunta
xdotool key Return
espera "orders 12 to 14 released" desbloqueada 14
espera_ventana
espera "the list to be loaded again" lista_cargada
comprueba "a selection of three rows is authorized" "11|0|
12|0|
13|0|
14|0|" "$(accion 0001-00000011)
$(accion 0001-00000012)
$(accion 0001-00000013)
$(accion 0001-00000014)"

# 1.3 F2 and N (No): the question is answered No and nothing changes.
antes=$(q "SELECT * FROM V_MV_CPTE ORDER BY ID; SELECT * FROM V_MV_CPTEACCIONES ORDER BY ID;")
xdotool key F2
espera_pregunta
xdotool key n
espera_ventana
[ "$(q "SELECT * FROM V_MV_CPTE ORDER BY ID; SELECT * FROM V_MV_CPTEACCIONES ORDER BY ID;")" = "$antes" ] ||
  falla "answering No changed the database"
echo "ok: F2 then N (No) changes nothing"

# 1.4 A search that finds nothing, then one that finds: the person clicks into
#     the grid's search box (right of the field box "Buscar por:"), types a
#     name that is not there and presses Enter; a message says nothing was
#     found and the list stays as it was (no page is loaded again). Enter
#     closes the message. The person then types part of a customer's name:
#     the list holds that customer's order alone (without the search Elena's
#     order would be its first row, and with the failed search still applied
#     nothing would be found). F2 and Enter authorize it.
# The person types into the search box and reads what the box holds (a triple
# click selects it) before pressing Enter; a letter the keyboard dropped is
# typed again. (xdotool types a letter the keyboard map lacks by remapping a
# key for it, which a program may read before the new map.)
busca() {
  local leido=
  for _ in 1 2 3 4 5; do
    xdotool windowfocus --sync "$ventana"
    xdotool mousemove --window "$ventana" 290 98 click 1
    xdotool key ctrl+a BackSpace
    LC_ALL=C.UTF-8 xdotool type --delay 50 "$1"
    xdotool mousemove --window "$ventana" 290 98 click --repeat 3 --delay 80 1
    sleep 0.2
    leido=$(seleccion)
    [ "$leido" = "$1" ] && break
  done
  [ "$leido" = "$1" ] || falla "the search box reads \"$leido\", not \"$1\""
  xdotool key Return
}
aviso_visible() { xdotool search --onlyvisible --name '^Aviso al Usuario$' >/dev/null 2>&1; }
aviso_cerrado() { ! aviso_visible; }
paginas_cargadas() { grep -c 'AS Paginacion' "$TARVOLIN_SQL_LOG"; }
antes_de_buscar=$(paginas_cargadas)
busca Irenne
espera "the message that nothing was found" aviso_visible
espera "the message to have the keyboard" tiene_foco "$(xdotool search --onlyvisible --name '^Aviso al Usuario$' | head -1)"
import -window root "$salida/person_nothing_found.png"
grep -q "COUNT(\*).*%Irenne%" "$TARVOLIN_SQL_LOG" || falla "the search for Irenne was not counted"
xdotool key Return
espera "the message to close" aviso_cerrado
[ "$(paginas_cargadas)" = "$antes_de_buscar" ] || falla "a search that found nothing loaded a page"
echo "ok: a search that finds nothing says so and leaves the list as it was"

# The page query of a search for $1 ran, and the current row's history is
# that of order $2 (the first row of the list found).
busqueda_hecha() {
  awk -v t="%$1%" '/AS Paginacion/ && index($0, t) {pag = NR} END {exit !pag}' "$TARVOLIN_SQL_LOG" &&
    tail -1 "$TARVOLIN_SQL_LOG" | grep -q "^SELECT TC,IDCOMPROBANTE,IDCOMPLEMENTO,TIPO_ACCION.*'$2'$"
}
busca ren
espera "the search to show Irene's order" busqueda_hecha ren 0001-00000018
xdotool key F2
espera_pregunta
xdotool key Return
espera "order 18 released" desbloqueada 18
espera_ventana
espera "the list to be loaded again" lista_cargada
comprueba "a search, then F2 and Enter, authorizes the one order found" "11|0|
12|0|
13|0|
14|0|
18|0|" "$(accion 0001-00000011)
$(accion 0001-00000012)
$(accion 0001-00000013)
$(accion 0001-00000014)
$(accion 0001-00000018)"

# 1.5 Spanish names found as typed: "peña" finds PEÑA HNOS., "álvarez" finds
#     Álvarez e Hijos (F1 first loads the whole list again). Every letter is
#     compared without regard to case, not only A to Z.
xdotool key F1
busca peña
espera "the search for peña to show PEÑA HNOS." busqueda_hecha peña 0001-00000019
echo "ok: peña finds PEÑA HNOS."
xdotool key F1
busca álvarez
espera "the search for álvarez to show Álvarez e Hijos" busqueda_hecha álvarez 0001-00000020
echo "ok: álvarez finds Álvarez e Hijos"
aviso_cerrado || falla "a search for a Spanish name found nothing"

sale_con_esc "authorizing"
for registro in "$TARVOLIN_HOME/TSERR.LOG" "$TARVOLIN_SQL_LOG"; do
  if [ -f "$registro" ] && grep -q -- "$clave" "$registro"; then falla "the password is in $registro"; fi
done
echo "ok: the password is in no log"

# ---- 2. More than ten thousand pages ------------------------------------------------------------
muchas="$tmp/muchas.db"
sqlite3 "$muchas" < "$fuentes/db/schema.sql"
sqlite3 "$muchas" <<'SQL'
INSERT INTO ta_usuarios (nombre, Administrador) VALUES ('tester', 0);
INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, OBSERVACIONES, BLOQUEADA)
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100010)
SELECT i, 'NP', printf('0001-%08d', i), '2024-01-01 00:00:00', '2024-02-01 00:00:00', 'Cliente ' || i, i, '', 1 FROM n;
SQL
arranca "$muchas" paginas
espera_ventana_principal
espera "the first page" lista_cargada_al_abrir
sin_clave_en_procesos
alto_abierta=$(xdotool getwindowgeometry --shell "$ventana" | sed -n 's/^HEIGHT=//p')
# The window opens showing every column: End, in the grid, moves no title.
sleep 0.5
if end_desplaza; then falla "the window opened without showing every column"; fi
echo "ok: the window opens showing every column"
# The last page button (right of the page label), then the last page's query:
# it reads from the end of the list, in the reverse order.
ultima_cargada() { grep -q 'Paginacion.ID DESC  LIMIT 11 OFFSET 0' "$TARVOLIN_SQL_LOG"; }
xdotool mousemove --window "$ventana" 471 362 click 1
espera "the last page" ultima_cargada
sleep 0.5
import -window root "$salida/person_many_pages.png"
# The person selects the page label's text with a triple click.
lee_etiqueta() { xdotool mousemove --window "$ventana" 290 "$1" click --repeat 3 --delay 80 1; }
etiqueta_leida() { [ "$(seleccion | tr -s ' ' | sed 's/^ //')" = "$1" ]; }
lee_etiqueta 362
espera "the page label to read Página 10001 de 10001 (it reads \"$(seleccion)\")" etiqueta_leida "Página 10001 de 10001"
echo "ok: the page label reads \"$(seleccion)\" on the last of 10001 pages"

# At the window's minimum size (what it tells the window manager) the grid
# scrolls to its last column, and the page buttons, beside the label, work.
minimo=$(xprop -id "$ventana" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
[ -n "$minimo" ] || falla "the window tells no minimum size"
read -r min_ancho min_alto <<<"$minimo"
xdotool windowsize --sync "$ventana" "$min_ancho" "$min_alto"
sleep 0.5
import -window root "$salida/person_minimum_size.png"
end_desplaza || falla "at the minimum size End did not scroll the grid"
# The command bar keeps its distance from the window's foot.
fila_comandos=$((min_alto - (alto_abierta - 362)))
primeras=$(grep -c 'LIMIT 11 OFFSET 0$' "$TARVOLIN_SQL_LOG")
primera_cargada() { [ "$(grep -c 'LIMIT 11 OFFSET 0$' "$TARVOLIN_SQL_LOG")" -gt "$primeras" ]; }
xdotool mousemove --window "$ventana" 165 "$fila_comandos" click 1
espera "the first page at the minimum size" primera_cargada
sleep 0.5
lee_etiqueta "$fila_comandos"
espera "the page label to read Página 1 de 10001 at the minimum size (it reads \"$(seleccion)\")" \
  etiqueta_leida "Página 1 de 10001"
echo "ok: at the minimum size ($min_ancho x $min_alto) the first page button works and the label reads whole"
sale_con_esc "many pages"

# ---- 3. A file that is not the program's database ----------------------------------------------
ajeno="$tmp/notas.db"
sqlite3 "$ajeno" "CREATE TABLE notas (texto TEXT); INSERT INTO notas VALUES ('no es una empresa');"
cp "$ajeno" "$tmp/notas.antes"
arranca "$ajeno" ajeno
aviso=$(timeout 60 xdotool search --sync --onlyvisible --name 'Error de Conexion a Base de Datos' | head -1) ||
  falla "no message for a file that is not the program's database"
xdotool windowfocus --sync "$aviso"
import -window root "$salida/person_not_the_database.png"
xdotool key n   # No: do not try again
espera_fin
[ "$estado" -ne 0 ] || falla "the program ended with status 0 without a database"
cmp -s "$ajeno" "$tmp/notas.antes" || falla "the file that is not the program's database was changed"
for resto in -wal -shm -journal; do
  [ ! -e "$ajeno$resto" ] || falla "the program left $ajeno$resto"
done
log="$TARVOLIN_HOME/TSERR.LOG"
[ -f "$log" ] || falla "no line in the error log"
[ "$(wc -l < "$log")" -eq 1 ] || { cat "$log"; falla "the error log holds more than one line"; }
grep -q "le faltan las tablas.*$ajeno" "$log" || { cat "$log"; falla "the log line does not name the file and its problem"; }
echo "ok: a file without the tables: one message, one log line, the program ends (status $estado), the file unchanged"
