' 5 million reads and writes of a data member through Me.
Dim v As Long

Function Main() As Long
  Dim i As Long
  v = 0
  For i = 1 To 5000000
    Me.v = Me.v + 1
  Next i
  Main = v
End Function
