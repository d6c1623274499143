#!/usr/bin/env bash
# Checks that the folders of src/ include one another in one direction only:
#   diag -> settings -> image -> channels | options | memtools -> comm -> sim -> shell -> front ends
# A folder may include only folders of a lower layer (and itself); channels,
# options and memtools are peers that never include each other; the front ends
# (desktop, cli) include nothing of each other. Only desktop/ may use Qt Widgets.
# Exit status 0 when every include is in order, 1 with one line per violation.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

rank() {
  case "$1" in
    diag) echo 0 ;;
    settings) echo 1 ;;
    image) echo 2 ;;
    channels|options|memtools) echo 3 ;;
    comm) echo 4 ;;
    sim) echo 5 ;;
    shell) echo 6 ;;
    desktop|cli) echo 7 ;;
    *) echo -1 ;;
  esac
}

widgets='^(QtWidgets|QtPrintSupport|QWidget|QMainWindow|QDialog|QApplication|QMessageBox|QFileDialog|QLabel|QMdiArea|QMdiSubWindow|QStatusBar|QAbstractButton|QPushButton|QTableView|QTreeView|QListWidget|QMenu|QMenuBar|QAction|QToolBar|QPrinter|QPrintDialog|QStyle|QLineEdit|QComboBox|QCheckBox|QLayout|QBoxLayout|QGridLayout|QHBoxLayout|QVBoxLayout)$'

status=0
while IFS= read -r file; do
  rel="${file#"$src"/}"
  folder="${rel%%/*}"
  [ "$folder" = "$rel" ] && { echo "$rel: a source file outside the layer folders"; status=1; continue; }
  own=$(rank "$folder")
  if [ "$own" -lt 0 ]; then
    echo "$rel: folder $folder is not a known layer (add it to scripts/check-layers.sh)"
    status=1
    continue
  fi
  n=0
  while IFS= read -r line; do
    n=$((n + 1))
    if [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"/]+)/[^\"]+\" ]]; then
      target="${BASH_REMATCH[1]}"
      [ "$target" = "$folder" ] && continue
      other=$(rank "$target")
      if [ "$other" -lt 0 ]; then
        echo "$rel:$n: includes unknown folder $target"
        status=1
      elif [ "$other" -ge "$own" ]; then
        echo "$rel:$n: $folder includes $target, which is not below it"
        status=1
      fi
    elif [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^\>/]+)(/[^\>]*)?\> ]]; then
      header="${BASH_REMATCH[1]}"
      if [ "$folder" != desktop ] && [[ "$header" =~ $widgets ]]; then
        echo "$rel:$n: $folder includes <$header>; only desktop/ may use Qt Widgets"
        status=1
      fi
    fi
  done < "$file"
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

[ "$status" -eq 0 ] && echo "layers: every include points down"
exit "$status"
