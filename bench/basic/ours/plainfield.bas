' 5 million reads and writes of a data member by its plain name.
Dim v As Long

Function Main() As Long
  Dim i As Long
  v = 0
  For i = 1 To 5000000
    v = v + 1
  Next i
  Main = v
End Function
