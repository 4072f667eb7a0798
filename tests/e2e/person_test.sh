#!/usr/bin/env bash
# The program as a person uses it: the real build/tarvolin on an X server
# (Xvfb), driven with xdotool, on a database made from db/schema.sql and a few
# orders, checked with sqlite3 after each step.
#
#   person_test.sh <tarvolin> <source dir> <output dir>
#
# Exits 77 (skipped) only when Xvfb or xdotool is missing.
set -euo pipefail

programa=$1
fuentes=$2
salida=$3

for herramienta in Xvfb xdotool; do
  if ! command -v "$herramienta" >/dev/null; then
    echo "SKIP: $herramienta is not installed"
    exit 77
  fi
done
for herramienta in sqlite3 import hostname; do
  command -v "$herramienta" >/dev/null || { echo "FAIL: $herramienta is not installed"; exit 1; }
done

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

# Waits up to 30 s for a command to succeed, polling.
espera() {
  local descripcion=$1
  shift
  for _ in $(seq 300); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  falla "timed out waiting for $descripcion"
}

# ---- The database ---------------------------------------------------------------------
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
  (16, 'NP', '0001-00000016', '2024-01-16 00:00:00', '2024-02-16 00:00:00', 'Fabio', 116, '', 0),
  (17, 'FC', 'A000100000017', '2024-01-17 00:00:00', '2024-02-17 00:00:00', 'Gala', 117, 'Auditoría', 1);
INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, Usuario, PC, SYSTEMUSER)
  VALUES ('NP  ', '0001-00000011', 0, 'A', '2024-01-11 09:00:00', 'ana', 'CAJA1', '');
SQL
cp "$db" "$tmp/antes.db"
pc=$(hostname)

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

# A person answers the question once it is up and has the keyboard (Yes is
# its default button).
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

# ---- The X server and the program -----------------------------------------------------------
exec 3> "$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
espera "the X server" test -s "$tmp/display"
export DISPLAY=":$(head -1 "$tmp/display")"
export QT_QPA_PLATFORM=xcb
export TARVOLIN_HOME="$tmp/home"
export TARVOLIN_SQL_LOG="$tmp/sentencias.log"
mkdir -p "$TARVOLIN_HOME"

"$programa" "@server=local;@dbname=$db;@usuario=tester;@Password=;" >"$tmp/programa.log" 2>&1 &
programa_pid=$!

ventana=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tarvolin$' | head -1) || falla "no window"
[ -n "$ventana" ] || falla "no window"
import -window root "$salida/person_start.png"
# There is no window manager to hand the new window the keyboard; the person
# clicks into it, which is what giving it the focus does here.
xdotool windowfocus --sync "$ventana"

# 1. F2 and Enter (Yes is the question's default button): the current row, the first order.
xdotool key F2
espera_pregunta
xdotool key Return
espera "order 11 released" desbloqueada 11
espera_ventana
espera "the list to be loaded again" lista_cargada
comprueba "F2 then Enter authorizes the current order" "11|0|" "$(accion 0001-00000011)"

# 2. Three rows selected with Shift+Down twice in the grid, F2, Yes.
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

# 3. F2 and Esc: the question is cancelled and nothing changes.
antes=$(q "SELECT * FROM V_MV_CPTE ORDER BY ID; SELECT * FROM V_MV_CPTEACCIONES ORDER BY ID;")
xdotool key F2
espera_pregunta
xdotool key Escape
espera_ventana
[ "$(q "SELECT * FROM V_MV_CPTE ORDER BY ID; SELECT * FROM V_MV_CPTEACCIONES ORDER BY ID;")" = "$antes" ] ||
  falla "answering No changed the database"
echo "ok: F2 then Esc changes nothing"

# 4. A search: the person clicks into the grid's search box (right of the
#    field box "Buscar por:"), types part of a customer's name and presses
#    Enter; the list then holds that customer's order alone (without the
#    search Elena's order would be its first row). F2 and Yes authorize it.
busqueda_hecha() {
  awk '/AS Paginacion/ && /%ren%/ {pag = NR} END {exit !pag}' "$TARVOLIN_SQL_LOG" &&
    tail -1 "$TARVOLIN_SQL_LOG" | grep -q "^SELECT TC,IDCOMPROBANTE,IDCOMPLEMENTO,TIPO_ACCION.*'0001-00000018'$"
}
xdotool mousemove --window "$ventana" 250 91 click 1
xdotool type --delay 50 ren
xdotool key Return
espera "the search to show Irene's order" busqueda_hecha
xdotool key F2
espera_pregunta
xdotool key Return
espera "order 18 released" desbloqueada 18
espera_ventana
espera "the list to be loaded again" lista_cargada
comprueba "a search, then F2 and Yes, authorizes the one order found" "11|0|
12|0|
13|0|
14|0|
18|0|" "$(accion 0001-00000011)
$(accion 0001-00000012)
$(accion 0001-00000013)
$(accion 0001-00000014)
$(accion 0001-00000018)"

# 5. ESC leaves: the process ends with status 0.
xdotool key Escape
espera "the program to end" bash -c "! kill -0 $programa_pid 2>/dev/null"
set +e
wait "$programa_pid"
estado=$?
set -e
programa_pid=
[ "$estado" -eq 0 ] || { cat "$tmp/programa.log"; falla "the program ended with status $estado"; }
echo "ok: ESC ends the program with status 0"
